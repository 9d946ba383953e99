// Which menu commands are offered, by connection state and device type. Each popup is
// known by the command of its first item; the rules are applied whenever it opens.
#include "ServiceDlg.h"
#include "CommandLine.h"

namespace {
// ConnectedStep: connected to a type that offers the command as a step of the command
// line (DeviceTypeOffersStep), so the menu and the command line offer the same.
enum Condition { NotConnected, Connected, ConnectedType0, ConnectedType1, ConnectedType0Or1, ConnectedStep, Never };

struct MenuRule {
    UINT nPopup; // the command of the popup's first item
    UINT nItem;
    Condition condition;
};

const MenuRule kMenuRules[] = {
    { ID_LINK_CONNECT,      ID_LINK_CONNECT,      NotConnected },
    { ID_LINK_CONNECT,      ID_LINK_DISCONNECT,   Connected },
    { ID_FIRMWARE_DOWNLOAD, ID_FIRMWARE_DOWNLOAD, ConnectedStep },
    { ID_FIRMWARE_DOWNLOAD, ID_READOUT_CAPTURE,   ConnectedStep },
    { ID_FIRMWARE_DOWNLOAD, ID_DEVICE_COMMAND_X,  ConnectedType1 },
    { ID_READOUT_VIEW,      ID_READOUT_VIEW,      ConnectedType1 },
    { ID_READOUT_VIEW,      ID_DEVICE_QUERY,      ConnectedType0Or1 },
    { ID_READOUT_VIEW,      ID_CONFIG_EDIT,       ConnectedType1 },
    { ID_READOUT_VIEW,      ID_PARAM_G,           Never },
    { ID_READOUT_VIEW,      ID_PARAM_J,           ConnectedType1 },
    { ID_READOUT_VIEW,      ID_PARAM_INTERFACE,   ConnectedType1 },
    { ID_READOUT_VIEW,      ID_PARAM_WF,          ConnectedType1 },
    { ID_READOUT_VIEW,      ID_PARAM_C,           ConnectedType1 },
    { ID_READOUT_VIEW,      ID_DEVICE_CLOCK,      ConnectedStep },
    { ID_READOUT_VIEW,      ID_SETTINGS_SAVE,     ConnectedStep },
    { ID_READOUT_VIEW,      ID_SETTINGS_RESTORE,  ConnectedStep },
    { ID_MONITOR,           ID_MONITOR,           ConnectedType0 },
};

// The menu commands that are steps of the command line.
struct StepCommand {
    UINT nItem;
    StepKind kind;
};

const StepCommand kStepCommands[] = {
    { ID_FIRMWARE_DOWNLOAD, StepKind::Download },
    { ID_READOUT_CAPTURE,   StepKind::Readout },
    { ID_DEVICE_CLOCK,      StepKind::Clock },
    { ID_SETTINGS_SAVE,     StepKind::SaveSettings },
    { ID_SETTINGS_RESTORE,  StepKind::RestoreSettings },
};

bool TypeOffersCommand(UINT nItem, int nType)
{
    for (const StepCommand& command : kStepCommands) {
        if (command.nItem == nItem)
            return DeviceTypeOffersStep(nType, command.kind);
    }
    return false;
}

bool IsMet(Condition condition, UINT nItem, BOOL bConnected, int nType)
{
    switch (condition) {
    case NotConnected:      return !bConnected;
    case Connected:         return bConnected;
    case ConnectedType0:    return bConnected && nType == 0;
    case ConnectedType1:    return bConnected && nType == 1;
    case ConnectedType0Or1: return bConnected && (nType == 0 || nType == 1);
    case ConnectedStep:     return bConnected && TypeOffersCommand(nItem, nType);
    case Never:             return false;
    }
    return false;
}
}

LRESULT CServiceDlg::OnInitMenuPopup(WPARAM wParam, LPARAM lParam)
{
    // The popup belongs to the menu: it is only borrowed for this call.
    CMenu popup;
    popup.Attach(reinterpret_cast<HMENU>(wParam));
    UINT nFirst = popup.GetMenuItemID(0);
    for (const MenuRule& rule : kMenuRules) {
        if (rule.nPopup == nFirst)
            popup.EnableMenuItem(rule.nItem, MF_BYCOMMAND
                                 | (IsMet(rule.condition, rule.nItem, m_bConnected, m_nDeviceType) ? MF_ENABLED : MF_GRAYED));
    }
    popup.Detach();
    return 0;
}
