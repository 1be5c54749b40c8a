// A recording as `ls7x-rec info` reads it, from a file and from a pipe: every record walked by
// the record reader, summed up, and told as text and as JSON.

#include "FuzzInput.h"
#include "RecordingInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    readAsFiles(QStringLiteral("recording.bin"), content, [](QFile& file) {
        const RecordingSummary summary = summarizeRecording(file);
        volatile qsizetype sink = describeRecording(QStringLiteral("recording.bin"), summary).size()
            + recordingJson(QStringLiteral("recording.bin"), summary).size();
        (void)sink;
    });
    return 0;
}
