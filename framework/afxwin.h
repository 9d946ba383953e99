// The class framework in one include: thin classes over Win32 in the manner of the
// classic dialog framework.
#pragma once

#include <windows.h>

#include "AfxFormatString.h"
#include "CCmdTarget.h"
#include "CDialog.h"
#include "CFileDialog.h"
#include "CMenu.h"
#include "CStdioFile.h"
#include "CString.h"
#include "CTime.h"
#include "CWinApp.h"
#include "CWnd.h"
#include "Controls.h"
#include "DataExchange.h"
#include "MessageMap.h"
