#include "win/window_helpers.h"

#include <vector>

namespace {

struct DialogSearch {
    const char* caption;
    HWND found;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<DialogSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (process == GetCurrentProcessId() && std::string(className) == "#32770" &&
        std::string(caption) == search->caption && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND findDialog(const std::string& caption) {
    DialogSearch search{caption.c_str(), nullptr};
    EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForDialog(const std::string& caption, int timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        if (HWND found = findDialog(caption)) {
            return found;
        }
        Sleep(10);
    } while (GetTickCount() - start < static_cast<DWORD>(timeoutMs));
    return nullptr;
}

bool waitUntilClosed(HWND window, int timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= static_cast<DWORD>(timeoutMs)) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

std::string dialogItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    const int length = static_cast<int>(SendMessageA(item, WM_GETTEXTLENGTH, 0, 0));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(SendMessageA(item, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

std::vector<std::string> comboItems(HWND dialog, int id) {
    std::vector<std::string> items;
    const LRESULT count = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string item(static_cast<size_t>(length) + 1, '\0');
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item[0]));
        item.resize(static_cast<size_t>(length));
        items.push_back(item);
    }
    return items;
}

BlockingCall::BlockingCall(std::function<void()> call)
    : thread_([finished = finished_, call = std::move(call)] {
          call();
          *finished = true;
      }) {}

BlockingCall::~BlockingCall() {
    if (waitFinished()) {
        thread_.join();
    } else {
        thread_.detach();
    }
}

bool BlockingCall::waitFinished(int timeoutMs) {
    const DWORD start = GetTickCount();
    while (!*finished_) {
        if (GetTickCount() - start >= static_cast<DWORD>(timeoutMs)) {
            return false;
        }
        Sleep(10);
    }
    return true;
}
