// Resource identifiers of the framework, includable from resource scripts.
#pragma once

// The string of the program file that names the application (its title).
#define AFX_IDS_APP_TITLE 0xE000
// The help command, routed to the application object.
#define ID_HELP 0xE146
