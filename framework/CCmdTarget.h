// CCmdTarget: the root of everything that has a message map (windows and the
// application object). It finds the handler of a command in its chain of maps.
#pragma once

#include "MessageMap.h"

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Carries out command nID (notification nCode) if a map of this object lists it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // The first entry of the map chain, most derived class first, that matches.
    const AFX_MSGMAP_ENTRY* FindEntry(UINT nMessage, UINT nCode, UINT nID) const;
};
