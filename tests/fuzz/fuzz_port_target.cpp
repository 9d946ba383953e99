// Where a port choice leads: a text accepted reads back from its shown form as the same
// target, and its connection string is one of KORA's three forms with that target in it;
// a text refused has a reason.
#include "FuzzCheck.h"
#include "PortTarget.h"

#include <cstdint>
#include <string>

namespace {
bool SameTarget(const PortTarget& a, const PortTarget& b)
{
    return a.kind == b.kind && a.nCom == b.nCom && a.strHost == b.strHost && a.nTcpPort == b.nTcpPort;
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);
    const PortTargetParse parse = ParsePortTarget(strText);
    if (parse.fault != PortFault::None)
        return 0;
    const PortTarget& target = parse.target;
    const std::string strShown = PortTargetText(target);
    FUZZ_CHECK(strShown.size() <= strText.size());
    const PortTargetParse again = ParsePortTarget(strShown);
    FUZZ_CHECK(again.fault == PortFault::None);
    FUZZ_CHECK(SameTarget(again.target, target));
    FUZZ_CHECK(PortTargetText(again.target) == strShown);

    const std::string strLink = PortTargetConnection(target, 19200);
    const std::string strEnd = ",SPEED=19200,FLOW=XONXOFF";
    FUZZ_CHECK(strLink.size() > strEnd.size() && strLink.compare(strLink.size() - strEnd.size(), strEnd.size(), strEnd) == 0);
    // Nothing of the target can end the string's first field early.
    FUZZ_CHECK(strLink.find(',') == strLink.size() - strEnd.size());
    if (target.kind == PortKind::Com) {
        FUZZ_CHECK(target.nCom >= 1 && target.nCom <= 256);
        FUZZ_CHECK(strLink == "ASYNC/COM:" + std::to_string(target.nCom) + strEnd);
    } else {
        FUZZ_CHECK(target.nTcpPort >= 1 && target.nTcpPort <= 65535);
        FUZZ_CHECK(!target.strHost.empty());
        const std::string strPrefix = target.kind == PortKind::Rfc2217 ? "ASYNC/RFC2217:" : "ASYNC/SOCKET:";
        FUZZ_CHECK(strLink == strPrefix + target.strHost + ":" + std::to_string(target.nTcpPort) + strEnd);
        for (char c : target.strHost)
            FUZZ_CHECK(c > 0x20 && c < 0x7F && c != ',' && c != '/');
    }
    return 0;
}
