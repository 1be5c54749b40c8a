// ls7x-emulator: plays LS71/LS74 line scanners and LP81 point sensors until interrupted.
#include "Firmware.h"
#include "LS7xEmulator.h"

#include <getopt.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <mutex>
#include <sstream>

using namespace VelaEmulator;

namespace {

const char* const usage = R"(Usage: ls7x-emulator [options]

Plays LS71 and LS74 laser line scanners and LP81 point sensors on this machine until it is
interrupted (Ctrl+C). Scanners live on loopback addresses and are found by the device
library's search; LP81 sensors are pseudo-terminals. Prints one line per sensor.

Sensors:
  --ls71 N               LS71 scanners (default 1 when no count is given)
  --ls74 N               LS74 scanners (default 1 when no count is given)
  --ls74b N              LS74 scanners of hardware revision B (type code 75)
  --lp81 N               LP81 point sensors on pseudo-terminals
  --serials LIST         comma-separated serial numbers, in the order LS71s, LS74s, LS74Bs,
                         LP81s, recordings; missing ones get defaults (710001.., 740001.., 750001.., 8101..)

Recordings:
  --replay FILE          one more scanner that plays FILE (a dump, a profile set or a
                         point-cloud file) instead of its scene; repeatable, one scanner each
  --replay-model M       the model playing the recordings: ls71 or ls74 (ls74)
  --replay-rate R        their results per second (default: the UDP frequency)
  --loop                 start a recording again after its last profile

Addresses and ports:
  --address A            address of the first scanner, the next get A+1, ... (127.0.0.11)
  --same-address         every scanner on the first address (use with --control-port 0)
  --control-port P       TCP control port of every scanner; 0 = a free port each (6001)
  --data-port P          factory TCP data port; 0 = a free port each (6603)
  --host-port P          factory UDP port that results are sent to (6003)
  --discovery HOST:PORT  where the scanners answer searches (127.0.0.1:7471); the device
                         library searches VELA_DEVICE_SEARCH, by default the same endpoint

Behaviour:
  --state-dir DIR        keep each scanner's flash in DIR/<MODEL>-<serial>.state, so that
                         flushed parameters survive a restart (default: in memory only)
  --rate R               results per second while internal sampling is on, or "max" for as
                         fast as possible (default: the UDP frequency of the parameter block)
  --reboot-ms MS         how long a reboot keeps a scanner offline (1000)
  --first-counter N      measurement and packet counters after power-up (0); 65500 shows
                         the 16-bit wrap within seconds
  --quiet                no log lines on standard error

Faults (for every sensor):
  --loss SHARE           leave out this share (0..1) of the results pushed over UDP
  --refuse-writes        answer "refused" to every command that changes a sensor
  --drop-after N         after N results, hang up on the next request instead of answering
                         it (once)
  --silent               answer nothing at all
  --delay MS             wait MS milliseconds before every answer

Firmware files:
  --make-firmware FILE   write a firmware file and exit; with
  --fw-type CODE         the device type code it is for (71, 74 or 75; default 74)
  --fw-version N         the version it installs (default 1)
  --fw-payload FILE      its content (default: 1 KiB of pattern)

  --help                 this text
)";

enum Option {
    OptLS71 = 1000, OptLS74, OptLS74B, OptLP81, OptSerials, OptAddress, OptSameAddress, OptControlPort,
    OptDataPort, OptHostPort, OptDiscovery, OptStateDir, OptRate, OptRebootMs, OptFirstCounter, OptQuiet, OptLoss,
    OptRefuseWrites, OptDropAfter, OptSilent, OptDelay, OptMakeFirmware, OptFwType, OptFwVersion,
    OptFwPayload, OptReplay, OptReplayModel, OptReplayRate, OptLoop, OptHelp
};

const option options[] = {
    {"ls71", required_argument, nullptr, OptLS71}, {"ls74", required_argument, nullptr, OptLS74},
    {"ls74b", required_argument, nullptr, OptLS74B}, {"lp81", required_argument, nullptr, OptLP81},
    {"serials", required_argument, nullptr, OptSerials}, {"address", required_argument, nullptr, OptAddress},
    {"same-address", no_argument, nullptr, OptSameAddress},
    {"control-port", required_argument, nullptr, OptControlPort},
    {"data-port", required_argument, nullptr, OptDataPort}, {"host-port", required_argument, nullptr, OptHostPort},
    {"discovery", required_argument, nullptr, OptDiscovery}, {"state-dir", required_argument, nullptr, OptStateDir},
    {"rate", required_argument, nullptr, OptRate}, {"reboot-ms", required_argument, nullptr, OptRebootMs},
    {"first-counter", required_argument, nullptr, OptFirstCounter}, {"quiet", no_argument, nullptr, OptQuiet}, {"loss", required_argument, nullptr, OptLoss},
    {"refuse-writes", no_argument, nullptr, OptRefuseWrites},
    {"drop-after", required_argument, nullptr, OptDropAfter}, {"silent", no_argument, nullptr, OptSilent},
    {"delay", required_argument, nullptr, OptDelay}, {"make-firmware", required_argument, nullptr, OptMakeFirmware},
    {"fw-type", required_argument, nullptr, OptFwType}, {"fw-version", required_argument, nullptr, OptFwVersion},
    {"fw-payload", required_argument, nullptr, OptFwPayload}, {"replay", required_argument, nullptr, OptReplay},
    {"replay-model", required_argument, nullptr, OptReplayModel},
    {"replay-rate", required_argument, nullptr, OptReplayRate}, {"loop", no_argument, nullptr, OptLoop},
    {"help", no_argument, nullptr, OptHelp},
    {nullptr, 0, nullptr, 0}};

bool toNumber(const char* text, long min, long max, long* out)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < min || value > max)
        return false;
    *out = value;
    return true;
}

bool toShare(const char* text, double* out)
{
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (!*text || *end || !(value >= 0 && value <= 1))
        return false;
    *out = value;
    return true;
}

int fail(const std::string& message)
{
    std::cerr << "ls7x-emulator: " << message << "\n(see ls7x-emulator --help)\n";
    return 2;
}

int writeFirmware(const std::string& path, long type, long version, const std::string& payloadPath)
{
    std::vector<uint8_t> payload(1024);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = uint8_t(i * 13 + 5);
    if (!payloadPath.empty()) {
        std::ifstream in(payloadPath, std::ios::binary);
        if (!in)
            return fail("cannot read " + payloadPath);
        payload.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::vector<uint8_t> file = makeFirmware(uint16_t(type), uint32_t(version), payload);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    if (!out)
        return fail("cannot write " + path);
    std::cout << "wrote " << path << " (type " << type << ", version " << version << ", " << payload.size()
              << " bytes)\n";
    return 0;
}

void printSensor(const SensorInfo& info, const std::string& replayPath)
{
    std::ostringstream line;
    line << modelName(info.model) << " SN " << info.serial;
    if (info.model == Model::LP81)
        line << " serial " << info.ptyPath;
    else
        line << " " << info.address << " control " << info.controlPort << " data " << info.dataPort
             << " results to 127.0.0.1:" << info.hostPort;
    if (!replayPath.empty())
        line << " replaying " << replayPath;
    std::cout << line.str() << std::endl;
}

} // namespace

int main(int argc, char** argv)
{
    EmulatorConfig config;
    long counts[4] = {-1, -1, 0, 0};
    std::vector<uint32_t> serials;
    bool quiet = false;
    std::string firmwarePath, firmwarePayload;
    std::vector<std::string> replays;
    SensorSpec replay(Model::LS74);
    long firmwareType = 74, firmwareVersion = 1;
    long value;

    int option;
    while ((option = getopt_long(argc, argv, "", options, nullptr)) != -1) {
        switch (option) {
        case OptLS71: case OptLS74: case OptLS74B: case OptLP81:
            if (!toNumber(optarg, 0, 64, &value))
                return fail("a sensor count is 0 to 64");
            counts[option - OptLS71] = value;
            break;
        case OptSerials: {
            std::istringstream list(optarg);
            std::string item;
            while (std::getline(list, item, ',')) {
                if (!toNumber(item.c_str(), 1, 0xFFFFFF, &value))
                    return fail("a serial number is 1 to 16777215");
                serials.push_back(uint32_t(value));
            }
            break;
        }
        case OptAddress: config.firstAddress = optarg; break;
        case OptSameAddress: config.consecutiveAddresses = false; break;
        case OptControlPort: case OptDataPort: case OptHostPort:
            if (!toNumber(optarg, 0, 65535, &value))
                return fail("a port is 0 to 65535");
            (option == OptControlPort ? config.controlPort : option == OptDataPort ? config.tcpDataPort
                                                                                     : config.hostPort) = uint16_t(value);
            break;
        case OptDiscovery: {
            const std::string text = optarg;
            const auto colon = text.rfind(':');
            if (colon == std::string::npos || !toNumber(text.c_str() + colon + 1, 0, 65535, &value))
                return fail("--discovery takes HOST:PORT");
            config.discoveryAddress = text.substr(0, colon);
            config.discoveryPort = uint16_t(value);
            break;
        }
        case OptStateDir: config.stateDirectory = optarg; break;
        case OptRate:
            if (std::string(optarg) == "max")
                config.resultRate = -1;
            else if (toNumber(optarg, 1, 1000000, &value))
                config.resultRate = double(value);
            else
                return fail("--rate takes a number of results per second or \"max\"");
            break;
        case OptRebootMs:
            if (!toNumber(optarg, 0, 600000, &value))
                return fail("--reboot-ms takes 0 to 600000");
            config.rebootMs = int(value);
            break;
        case OptFirstCounter:
            if (!toNumber(optarg, 0, 65535, &value))
                return fail("--first-counter takes 0 to 65535");
            config.firstCounter = uint16_t(value);
            break;
        case OptQuiet: quiet = true; break;
        case OptLoss:
            if (!toShare(optarg, &config.faults.udpLossShare))
                return fail("--loss takes a share from 0 to 1");
            break;
        case OptRefuseWrites: config.faults.refuseWrites = true; break;
        case OptDropAfter:
            if (!toNumber(optarg, 1, 1L << 30, &value))
                return fail("--drop-after takes a positive count");
            config.faults.dropAfterResults = int(value);
            break;
        case OptSilent: config.faults.silent = true; break;
        case OptDelay:
            if (!toNumber(optarg, 0, 60000, &value))
                return fail("--delay takes 0 to 60000 ms");
            config.faults.answerDelayMs = int(value);
            break;
        case OptMakeFirmware: firmwarePath = optarg; break;
        case OptFwType:
            if (!toNumber(optarg, 0, 65535, &firmwareType))
                return fail("--fw-type takes a type code");
            break;
        case OptFwVersion:
            if (!toNumber(optarg, 0, 0x7FFFFFFF, &firmwareVersion))
                return fail("--fw-version takes a number");
            break;
        case OptFwPayload: firmwarePayload = optarg; break;
        case OptReplay: replays.push_back(optarg); break;
        case OptReplayModel:
            if (std::string(optarg) == "ls71")
                replay.model = Model::LS71;
            else if (std::string(optarg) == "ls74")
                replay.model = Model::LS74;
            else
                return fail("--replay-model takes ls71 or ls74");
            break;
        case OptReplayRate:
            if (!toNumber(optarg, 1, 1000000, &value))
                return fail("--replay-rate takes a number of results per second");
            replay.replayRate = double(value);
            break;
        case OptLoop: replay.replayLoop = true; break;
        case OptHelp: std::cout << usage; return 0;
        default: return fail("unknown option");
        }
    }
    if (optind < argc)
        return fail(std::string("unexpected argument ") + argv[optind]);
    if (!firmwarePath.empty())
        return writeFirmware(firmwarePath, firmwareType, firmwareVersion, firmwarePayload);

    // Without any count or recording, one scanner of each model.
    const bool anyCount = counts[0] >= 0 || counts[1] >= 0 || counts[2] > 0 || counts[3] > 0 || !replays.empty();
    const Model models[4] = {Model::LS71, Model::LS74, Model::LS74B, Model::LP81};
    size_t nextSerial = 0;
    for (int m = 0; m < 4; ++m) {
        const long n = counts[m] >= 0 ? counts[m] : (anyCount ? 0 : 1);
        for (long i = 0; i < n; ++i) {
            SensorSpec spec{models[m], 0};
            if (nextSerial < serials.size())
                spec.serial = serials[nextSerial];
            ++nextSerial;
            config.sensors.push_back(spec);
        }
    }
    for (const std::string& path : replays) {
        SensorSpec spec = replay;
        spec.replayPath = path;
        spec.serial = nextSerial < serials.size() ? serials[nextSerial] : 0;
        ++nextSerial;
        config.sensors.push_back(spec);
    }

    std::mutex logMutex;
    if (!quiet)
        config.log = [&logMutex](const std::string& text) {
            std::lock_guard<std::mutex> lock(logMutex);
            std::cerr << text << std::endl;
        };

    // Block the stop signals before any thread starts, then wait for one of them here.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    Emulator emulator(config);
    std::string error;
    if (!emulator.start(&error)) {
        std::cerr << "ls7x-emulator: " << error << "\n";
        return 1;
    }
    std::cout << "discovery " << emulator.searchEndpoint() << std::endl;
    for (int i = 0; i < emulator.sensorCount(); ++i)
        printSensor(emulator.sensor(i), config.sensors[size_t(i)].replayPath);

    int received = 0;
    sigwait(&stopSignals, &received);
    emulator.stop();
    std::cerr << "ls7x-emulator: stopped" << std::endl;
    return 0;
}
