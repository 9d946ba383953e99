// Resource identifiers of the framework, includable from resource scripts.
#pragma once

// The string of the program file that names the application (its title).
#define AFX_IDS_APP_TITLE 0xE000
// The help command, routed to the application object.
#define ID_HELP 0xE146

// The framework's messages of data exchange, looked up in the resource module first (the
// language library); the framework's own English texts stand in for missing ones. The
// size message takes the insert %1.
#define AFX_IDP_PARSE_INT          0xF110
#define AFX_IDP_PARSE_REAL         0xF111
#define AFX_IDP_PARSE_STRING_SIZE  0xF114
#define AFX_IDP_PARSE_UINT         0xF116
