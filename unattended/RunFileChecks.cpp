#include "RunFileChecks.h"
#include "FirmwareFileCheck.h"
#include "DeviceSettingsFileCheck.h"

#include <set>
#include <utility>

std::vector<CString> RunFileFaults(const std::vector<RunStep>& steps, const std::vector<std::string>& files,
                                   int nDeviceType)
{
    std::vector<CString> faults;
    std::set<std::pair<StepKind, std::string>> looked;
    for (std::size_t nStep = 0; nStep < steps.size() && nStep < files.size(); ++nStep) {
        const StepKind kind = steps[nStep].kind;
        if (!looked.insert(std::make_pair(kind, files[nStep])).second)
            continue;
        const CString strPath = files[nStep].c_str();
        CString strFault;
        if (kind == StepKind::Download) {
            strFault = FirmwareFileFault(strPath, nDeviceType);
        } else if (kind == StepKind::RestoreSettings) {
            DeviceSettings settings;
            strFault = DeviceSettingsFileFault(strPath, nDeviceType, settings);
        }
        if (!strFault.IsEmpty())
            faults.push_back(strFault);
    }
    return faults;
}
