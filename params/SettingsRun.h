// A save or a restore of the device settings in progress. Each is one operation for the
// busy check, made of the reads of the configuration and the parameters (and for a
// restore, the writes and the reads back) one after the other.
#pragma once

#include "DeviceSettingsFile.h"
#include "SettingsRules.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

struct SettingsRun {
    enum Purpose { Save, Restore };
    enum Phase {
        Reading,    // the values as the device holds them
        Comparing,  // the comparison is shown; nothing is in flight
        Writing,    // the plan's write letters, one after the other
        Verifying,  // the values read back after the writes
    };

    SettingsRun(Purpose purpose, const char* pszPath) : m_purpose(purpose), m_strPath(pszPath) {}

    Purpose m_purpose;
    Phase m_phase = Reading;
    std::string m_strPath;     // the device settings file
    DeviceSettings m_file;     // a restore's file
    std::array<std::string, kSettingsCount> m_read; // the replies of the current pass
    std::vector<SettingsRow> m_rows; // a restore's comparison
    std::string m_strPlan;     // the write letters, in order
    std::size_t m_nNext = 0;   // the next read (kSettingsLetters) or write (m_strPlan)
    std::string m_strWritten;  // the write letters whose value text has gone out

    // The letter of the step in flight: a read letter, or a write letter while writing.
    char CurrentLetter() const
    {
        if (m_phase == Writing)
            return m_nNext < m_strPlan.size() ? m_strPlan[m_nNext] : 0;
        return m_nNext < static_cast<std::size_t>(kSettingsCount) ? kSettingsLetters[m_nNext] : 0;
    }
};
