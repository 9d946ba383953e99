// Seeds of the simulator's own monitor frames: a delivery as its flow profile runs it,
// in each frame length, written raw (for the frame decoding) and as a line behind the
// escape flag byte (for the receive framer).
#include "flow_profile.h"
#include "monitor_frame.h"

#include <cstdio>
#include <string>

namespace {
bool WriteSeed(const std::string& strPath, const std::string& strBytes)
{
    std::FILE* pFile = std::fopen(strPath.c_str(), "wb");
    if (!pFile)
        return false;
    bool bOk = std::fwrite(strBytes.data(), 1, strBytes.size(), pFile) == strBytes.size();
    return std::fclose(pFile) == 0 && bOk;
}
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s MONITOR_DIR FRAMING_DIR\n", argv[0]);
        return 2;
    }
    zevsim::FlowProfile profile{ zevsim::FlowSettings{} };
    const int anLengths[] = { 140, 144, 146 };
    for (int i = 0; i < 24; ++i) {
        profile.advance(1000); // a second between seeds: ramp, hold, ramp down, pause
        int nLength = anLengths[i % 3];
        std::string strFrame = zevsim::buildMonitorFrame(profile.sample(), nLength, "SEED");
        std::string strName = "/sim-frame-" + std::to_string(i) + "-" + std::to_string(nLength);
        if (!WriteSeed(argv[1] + strName, strFrame) || !WriteSeed(argv[2] + strName, std::string(1, char(i & 1)) + strFrame)) {
            std::perror("seed");
            return 1;
        }
    }
    return 0;
}
