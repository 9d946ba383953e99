// Message maps: each class lists the messages it handles in one table, read top to
// bottom, between BEGIN_MESSAGE_MAP(Class, Base) and END_MESSAGE_MAP(). A message that a
// class does not list goes to its base's table, and finally to the window's default
// handling. Handler prototypes, one per entry kind:
//   ON_WM_DESTROY()         void OnDestroy()
//   ON_WM_PAINT()           void OnPaint()
//   ON_WM_QUERYDRAGICON()   HCURSOR OnQueryDragIcon()
//   ON_WM_SYSCOMMAND()      void OnSysCommand(UINT nID, LPARAM lParam)
//   ON_WM_TIMER()           void OnTimer(UINT_PTR nIDEvent)
//   ON_MESSAGE(msg, fn)     LRESULT fn(WPARAM wParam, LPARAM lParam)
//   ON_COMMAND(id, fn)      void fn()                  menu command or button id
//   ON_BN_CLICKED(id, fn)   void fn()                  button or radio clicked
//   ON_EN_KILLFOCUS(id, fn) void fn()                  edit lost the keyboard focus
//   ON_CBN_SELCHANGE(id, fn) void fn()                 combo box's choice changed
#pragma once

#include <windows.h>

class CCmdTarget;

// Every handler is stored as this type and called back through the prototype that its
// entry's signature names; the macros check each handler against that prototype.
typedef void (CCmdTarget::*AFX_PMSG)();

enum AfxSig : UINT {
    AfxSig_end = 0,
    AfxSig_vv,  // void ()
    AfxSig_hv,  // HCURSOR ()
    AfxSig_vwl, // void (UINT, LPARAM)
    AfxSig_vt,  // void (UINT_PTR)
    AfxSig_lwl, // LRESULT (WPARAM, LPARAM)
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message
    UINT nCode;    // notification code, for WM_COMMAND
    UINT nID;      // first control or command id, for WM_COMMAND
    UINT nLastID;  // last id of the range
    AfxSig nSig;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                           \
protected:                                              \
    static const AFX_MSGMAP* GetThisMessageMap();       \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                   \
    {                                                                                 \
        using ThisClass [[maybe_unused]] = theClass;                                  \
        using TheBaseClass = baseClass;                                               \
        static const AFX_MSGMAP_ENTRY s_entries[] = {

#define END_MESSAGE_MAP()                                                   \
            { 0, 0, 0, 0, AfxSig_end, nullptr }                             \
        };                                                                  \
        static const AFX_MSGMAP s_map = { &TheBaseClass::GetThisMessageMap, s_entries }; \
        return &s_map;                                                      \
    }

#define AFX_PMSG_CAST(type, fn) reinterpret_cast<AFX_PMSG>(static_cast<type>(fn))

#define ON_WM_DESTROY() \
    { WM_DESTROY, 0, 0, 0, AfxSig_vv, AFX_PMSG_CAST(void (CCmdTarget::*)(), &ThisClass::OnDestroy) },
#define ON_WM_PAINT() \
    { WM_PAINT, 0, 0, 0, AfxSig_vv, AFX_PMSG_CAST(void (CCmdTarget::*)(), &ThisClass::OnPaint) },
#define ON_WM_QUERYDRAGICON()                                \
    { WM_QUERYDRAGICON, 0, 0, 0, AfxSig_hv,                  \
      AFX_PMSG_CAST(HCURSOR (CCmdTarget::*)(), &ThisClass::OnQueryDragIcon) },
#define ON_WM_SYSCOMMAND()                                   \
    { WM_SYSCOMMAND, 0, 0, 0, AfxSig_vwl,                    \
      AFX_PMSG_CAST(void (CCmdTarget::*)(UINT, LPARAM), &ThisClass::OnSysCommand) },
#define ON_WM_TIMER() \
    { WM_TIMER, 0, 0, 0, AfxSig_vt, AFX_PMSG_CAST(void (CCmdTarget::*)(UINT_PTR), &ThisClass::OnTimer) },
#define ON_MESSAGE(message, memberFxn) \
    { message, 0, 0, 0, AfxSig_lwl, AFX_PMSG_CAST(LRESULT (CCmdTarget::*)(WPARAM, LPARAM), memberFxn) },
#define ON_COMMAND(id, memberFxn) \
    { WM_COMMAND, 0, id, id, AfxSig_vv, AFX_PMSG_CAST(void (CCmdTarget::*)(), memberFxn) },
#define ON_BN_CLICKED(id, memberFxn) \
    { WM_COMMAND, BN_CLICKED, id, id, AfxSig_vv, AFX_PMSG_CAST(void (CCmdTarget::*)(), memberFxn) },
#define ON_EN_KILLFOCUS(id, memberFxn) \
    { WM_COMMAND, EN_KILLFOCUS, id, id, AfxSig_vv, AFX_PMSG_CAST(void (CCmdTarget::*)(), memberFxn) },
#define ON_CBN_SELCHANGE(id, memberFxn) \
    { WM_COMMAND, CBN_SELCHANGE, id, id, AfxSig_vv, AFX_PMSG_CAST(void (CCmdTarget::*)(), memberFxn) },
