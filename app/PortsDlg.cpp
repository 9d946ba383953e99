#include "PortsDlg.h"
#include "StringFormats.h"
#include "resource.h"

#include <string>

// OK and Cancel as every dialog has them (Enter and Esc).
BEGIN_MESSAGE_MAP(CPortsDlg, CDialog)
END_MESSAGE_MAP()

namespace {
// Why a port text is refused, in the user's language.
UINT FaultTextId(PortFault fault)
{
    switch (fault) {
    case PortFault::Empty: return IDS_PORT_FAULT_EMPTY;
    case PortFault::Blank: return IDS_PORT_FAULT_BLANK;
    case PortFault::UnknownForm: return IDS_PORT_FAULT_FORM;
    case PortFault::ComNumber: return IDS_PORT_FAULT_COM;
    case PortFault::NoHost: return IDS_PORT_FAULT_NO_HOST;
    case PortFault::BadHost: return IDS_PORT_FAULT_HOST;
    case PortFault::NoTcpPort: return IDS_PORT_FAULT_NO_TCP_PORT;
    case PortFault::TcpPortRange: return IDS_PORT_FAULT_TCP_PORT;
    case PortFault::TrailingText:
    case PortFault::None: break;
    }
    return IDS_PORT_FAULT_TRAILING;
}

// The longest value a field takes: a host name of 253 characters with its scheme and port.
const int kMaxTargetChars = 280;
}

CString PortFaultText(PortFault fault)
{
    return LoadText(FaultTextId(fault));
}

CPortsDlg::CPortsDlg(CWnd* pParentWnd) : CDialog(IDD_PORTS, pParentWnd)
{
}

void CPortsDlg::DoDataExchange(CDataExchange* pDX)
{
    for (int i = 0; i < 4; ++i) {
        DDX_Text(pDX, IDC_PORTS_COM1 + i, m_astrTargets[i]);
        DDV_MaxChars(pDX, m_astrTargets[i], kMaxTargetChars);
        if (!pDX->m_bSaveAndValidate || pDX->m_bFailed)
            continue;
        // Blanks around a value are no part of it, as in the settings file.
        std::string strValue = m_astrTargets[i].GetString();
        strValue.erase(0, strValue.find_first_not_of(" \t"));
        strValue.erase(strValue.find_last_not_of(" \t") + 1);
        m_astrTargets[i] = strValue.c_str();
        if (m_astrTargets[i].IsEmpty())
            continue;
        const PortTargetParse parse = ParsePortTarget(m_astrTargets[i].GetString());
        if (parse.fault != PortFault::None) {
            const std::string strField = "COM" + std::to_string(i + 1);
            MessageBox(FormatById(IDS_PORTS_BAD_FIELD, "ss", strField.c_str(), PortFaultText(parse.fault).GetString()),
                       nullptr, MB_OK | MB_ICONEXCLAMATION);
            pDX->Fail(); // back to the field, its text selected
        }
    }
}
