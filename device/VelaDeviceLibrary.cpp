#include "VelaDeviceLibrary.h"

#include "private/LibraryUse.h"

#include <atomic>

namespace VelaDevice {

namespace {
std::atomic<int> s_users{0};
}

int Initialize()
{
    ++s_users;
    return 1;
}

void Cleanup()
{
    int users = s_users.load();
    while (users > 0 && !s_users.compare_exchange_weak(users, users - 1)) {
    }
}

int libraryUsers()
{
    return s_users.load();
}

} // namespace VelaDevice
