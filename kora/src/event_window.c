/* Events reach the program on the thread that opened the link.
 *
 * KoraOpen creates a message-only window on that thread; the I/O thread posts one message
 * per event bit to it (at most one of each bit waits in the message queue, so a burst of
 * bytes is one KORA_EVENT_RECEIVED), and the opening thread's message loop, whichever loop
 * runs at the time (a dialog's, a message box's), dispatches it to the window, which looks
 * the link up by handle and calls the callback registered for the bit at that moment.
 * Callbacks therefore never run on the I/O thread and never two at once. Received bytes
 * are announced at once when they answer something the program wrote or come after a
 * quiet spell; a stream that flows by itself is announced every 50 ms (io_receive.c says
 * why).
 */
#include "link.h"

/* The message that carries an event: wParam the link's handle, lParam the event bit. */
#define KORA_WM_EVENT (WM_APP + 0x4B0)

static const char class_name[] = "KoraEventWindow";

int event_slot_of(unsigned bit)
{
    for (int slot = 0; slot < KORA_EVENT_SLOTS; slot++)
        if ((1u << slot) == bit)
            return slot;
    return -1;
}

/* Delivers one event: the callback is looked up now, so a link closed or a callback
 * removed since the post gets nothing. */
static void deliver(HWND window, LONG handle, unsigned bit)
{
    int slot = event_slot_of(bit);
    event_slot target = {0};
    library_lock();
    kora_link *link = link_table_find(handle);
    if (link && link->window == window && slot >= 0) {
        link->posted &= ~bit;
        target = link->slots[slot];
    }
    library_unlock();
    /* The callback may close the link (and destroy this window): nothing of either is
     * touched after it. */
    if (target.proc)
        target.proc((LONG)bit, target.context);
}

static LRESULT CALLBACK event_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == KORA_WM_EVENT) {
        deliver(window, (LONG)wparam, (unsigned)lparam);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

static HINSTANCE this_module(void)
{
    HMODULE module = NULL;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       (LPCSTR)(void *)event_window_proc, &module);
    return module;
}

static BOOL CALLBACK register_class(PINIT_ONCE once, void *parameter, void **context)
{
    WNDCLASSEXA wc = {0};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = event_window_proc;
    wc.hInstance = this_module();
    wc.lpszClassName = class_name;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND event_window_create(void)
{
    static INIT_ONCE registered = INIT_ONCE_STATIC_INIT;
    if (!InitOnceExecuteOnce(&registered, register_class, NULL, NULL))
        return NULL;
    return CreateWindowExA(0, class_name, NULL, 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, this_module(), NULL);
}

void event_window_destroy(HWND window)
{
    /* Only the window's own thread may destroy it; from any other, ask that thread. */
    if (GetWindowThreadProcessId(window, NULL) == GetCurrentThreadId())
        DestroyWindow(window);
    else
        PostMessageA(window, WM_CLOSE, 0, 0);
}

void link_post(kora_link *link, unsigned bit)
{
    if ((link->posted & bit) || !link->window)
        return;
    if (PostMessageA(link->window, KORA_WM_EVENT, (WPARAM)link->handle, (LPARAM)bit))
        link->posted |= bit;
}
