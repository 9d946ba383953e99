// Where the settings file is, from the command line and the module path.
#include "SettingsPath.h"

#include <doctest.h>

#include <string>

namespace {
std::string PathFor(const char* pszCommandLine, const char* pszModule)
{
    char szPath[1024];
    SettingsPathFromCommandLine(pszCommandLine, pszModule, szPath, sizeof szPath);
    return szPath;
}
}

TEST_CASE("the settings file is the program's path with the extension INI")
{
    const char* module = "D:\\Tools\\ZEV.EXE";
    CHECK(PathFor("\"D:\\Tools\\ZEV.EXE\"", module) == "D:\\Tools\\ZEV.INI");
    CHECK(PathFor("\"D:\\Tools\\ZEV.EXE\" /x", module) == "D:\\Tools\\ZEV.INI");
    CHECK(PathFor("\"D:\\Tools\\ZEV.EXE\" -file=a.b", module) == "D:\\Tools\\ZEV.INI");

    SUBCASE("a start that the quoted-path rule would get wrong uses the module path")
    {
        CHECK(PathFor("D:\\Tools\\ZEV.EXE /x", module) == "D:\\Tools\\ZEV.INI");
        CHECK(PathFor("\"D:\\Tools 2.1\\ZEV.EXE\"", "D:\\Tools 2.1\\ZEV.EXE") == "D:\\Tools 2.1\\ZEV.INI");
        CHECK(PathFor("\"ZEV.EXE\"", module) == "D:\\Tools\\ZEV.INI");
        CHECK(PathFor("\"D:\\Tools\\ZEV\"", "D:\\Tools\\ZEV") == "D:\\Tools\\ZEV.INI");
    }
    SUBCASE("an empty command line gives no path")
    {
        CHECK(PathFor("", module).empty());
    }
}
