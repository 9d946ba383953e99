// The open handles of this process, probed one by one: Wine's GetProcessHandleCount
// reports none, so a leak would go unseen there.
#pragma once

unsigned count_open_handles();
