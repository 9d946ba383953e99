#include "device_values.h"

namespace zevsim {

const char* deviceTypeName(int type) {
  static const char* const kNames[3] = {"Vantik", "Corlaxa", "Brennix"};
  return type >= 0 && type < 3 ? kNames[type] : "unknown";
}

int workingBaud(int type) { return type == 1 ? 19200 : 38400; }

const std::string& readLetters() {
  static const std::string kLetters = "rh3bgjwf4cL";
  return kLetters;
}

DeviceValues defaultValues(int type) {
  DeviceValues v;
  v.ident = std::string(deviceTypeName(type)) + " V2.14 SN 104711";
  v.replies = {
      {'r', "9,33,0"},   // three configuration numbers
      {'h', "0"},        // entry mode
      {'3', "OTHER"},    // kind: OTHER or SCANIA
      {'b', "0"},        // option switch
      {'g', "1"},
      {'j', "0"},
      {'w', "1"},
      {'f', "2"},
      {'4', "RS232"},    // interface: RS232, RS232 MODIFIED or RS485
      {'c', "0"},
      {'L', "00012345.67 L"},
  };
  v.readoutV = {"{ident}", "CLOCK {clock}", "TOTAL {total} L", "TEXT S={S} N={N}"};
  v.readoutO = {"001 0000125.50 L", "002 0000480.00 L", "003 0000037.25 L"};
  return v;
}

}  // namespace zevsim
