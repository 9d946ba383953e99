#include "DeviceTypes.h"

#include <cstring>

namespace {
const char* const kDeviceNames[DEVICE_TYPE_COUNT] = { "Vantik", "Corlaxa", "Brennix" };
}

int DeviceTypeFromName(const char* pszName)
{
    for (int nType = 0; nType < DEVICE_TYPE_COUNT; ++nType) {
        if (std::strcmp(pszName, kDeviceNames[nType]) == 0)
            return nType;
    }
    return 0;
}

const char* DeviceNameOfType(int nType)
{
    return static_cast<unsigned>(nType) < DEVICE_TYPE_COUNT ? kDeviceNames[nType] : kDeviceNames[0];
}
