// The settings file: the name given to it, and the rules by which values are read and written back.
#include "AppTestEnvironment.h"
#include "INIFile.h"

#include <doctest.h>

TEST_CASE("a file name given to the settings object")
{
    INIFile settings("C:\\data\\set.tings.txt");
    CHECK(std::string(settings.GetFileName()) == "C:\\data\\set.INI");
    settings.SetFileName("NODOT");
    CHECK(std::string(settings.GetFileName()) == "DEFAULT.INI");
    settings.SetFileName("x.ini");
    CHECK(std::string(settings.GetFileName()) == "x.INI");
}

TEST_CASE("without a name the settings file sits beside the running program")
{
    char szModule[MAX_PATH];
    ::GetModuleFileNameA(nullptr, szModule, MAX_PATH);
    std::string expected(szModule);
    expected = expected.substr(0, expected.rfind('.')) + ".INI";
    INIFile settings;
    CHECK(_stricmp(settings.GetFileName(), expected.c_str()) == 0);
}

TEST_CASE("values read as their default are written back")
{
    TempFolder folder;
    std::string path = folder.Path("ZEV.INI");
    INIFile settings(path.c_str());

    SUBCASE("a missing string key is created with its default, the file too")
    {
        char szValue[20];
        settings.ReadString("Setup", "LanguageLibrary", szValue, sizeof szValue, "ZEV_DE.DLL");
        CHECK(std::string(szValue) == "ZEV_DE.DLL");
        CHECK(ReadFileBytes(path) == "[Setup]\r\nLanguageLibrary=ZEV_DE.DLL\r\n");
    }
    SUBCASE("a string value longer than the buffer is cut and not written back")
    {
        WriteFileBytes(path, "[Device]\r\nDevice=ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n");
        char szValue[20];
        settings.ReadString("Device", "Device", szValue, sizeof szValue, "Vantik");
        CHECK(std::string(szValue) == "ABCDEFGHIJKLMNOPQRS");
        CHECK(ReadFileBytes(path) == "[Device]\r\nDevice=ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n");
    }
    SUBCASE("an integer equal to the default is rewritten; another value is left alone")
    {
        WriteFileBytes(path, "[ComPort]\r\nComPortNo=01\r\n");
        CHECK(settings.ReadInt("ComPort", "ComPortNo", 1) == 1);
        CHECK(ReadFileBytes(path) == "[ComPort]\r\nComPortNo=1\r\n");

        WriteFileBytes(path, "[ComPort]\r\nComPortNo=03\r\n");
        CHECK(settings.ReadInt("ComPort", "ComPortNo", 1) == 3);
        CHECK(ReadFileBytes(path) == "[ComPort]\r\nComPortNo=03\r\n");
    }
    SUBCASE("integers are written in signed decimal")
    {
        settings.WriteInt("ComPort", "ComPortNo", -1);
        CHECK(ReadFileBytes(path) == "[ComPort]\r\nComPortNo=-1\r\n");
        settings.WriteInt("ComPort", "ComPortNo", 0);
        CHECK(ReadFileBytes(path) == "[ComPort]\r\nComPortNo=0\r\n");
        settings.WriteInt("ComPort", "ComPortNo", 2147483647);
        CHECK(ReadFileBytes(path) == "[ComPort]\r\nComPortNo=2147483647\r\n");
    }
}
