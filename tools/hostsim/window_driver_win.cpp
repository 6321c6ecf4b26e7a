#include "hostsim/window_driver_win.h"

#include <cstdio>

#include "win/message_loop_win.h"

using torv::win::makeEvent;
using torv::win::pumpFor;
using torv::win::ScopedBitmap;
using torv::win::ScopedHandle;
using torv::win::ScopedMemoryDc;
using torv::win::ScopedSelection;
using torv::win::ScopedWindowDc;
using torv::win::waitPumping;

namespace pelksim {

namespace {

// How long a helper's destructor waits for a task that should have ended.
constexpr DWORD kHelperExitBound = 30000;
constexpr DWORD kPollInterval = 20;

class ScopedFile {
public:
    explicit ScopedFile(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}
    ~ScopedFile() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    FILE* get() const { return file_; }
    // Closes now; false when the last writes failed.
    bool close() { return std::fclose(std::exchange(file_, nullptr)) == 0; }

private:
    FILE* file_;
};

bool sendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeout, DWORD_PTR& result) {
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, timeout, &result) != 0;
}

std::string classOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND control(HWND window, int id, std::string& error) {
    HWND item = GetDlgItem(window, id);
    if (item == nullptr) {
        error = "the window has no control " + std::to_string(id);
    }
    return item;
}

}  // namespace

void pumpingIdle(DWORD milliseconds) {
    pumpFor(milliseconds);
}

void sleepingIdle(DWORD milliseconds) {
    Sleep(milliseconds);  // a thread that serves nothing may simply wait
}

HWND findProcessWindow(const std::string& caption, const char* className) {
    // FindWindowEx compares the stored caption without sending the window a
    // message, so a busy window's thread cannot hold the search up.
    for (HWND window = FindWindowExA(nullptr, nullptr, className, caption.c_str()); window != nullptr;
         window = FindWindowExA(nullptr, window, className, caption.c_str())) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

HWND waitForWindow(const std::string& caption, const char* className, DWORD timeout, const IdleFunction& idle) {
    const ULONGLONG deadline = GetTickCount64() + timeout;
    for (;;) {
        if (HWND window = findProcessWindow(caption, className)) {
            return window;
        }
        if (GetTickCount64() >= deadline) {
            return nullptr;
        }
        idle(kPollInterval);
    }
}

bool waitForNoWindow(const std::string& caption, const char* className, DWORD timeout, const IdleFunction& idle) {
    const ULONGLONG deadline = GetTickCount64() + timeout;
    for (;;) {
        if (findProcessWindow(caption, className) == nullptr) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        idle(kPollInterval);
    }
}

std::string controlText(HWND window, int id, DWORD timeout) {
    HWND target = id == -1 ? window : GetDlgItem(window, id);
    if (target == nullptr) {
        return {};
    }
    char text[1024] = {};
    DWORD_PTR copied = 0;
    if (!sendBounded(target, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), timeout, copied)) {
        return {};
    }
    return std::string(text, copied < sizeof text ? copied : sizeof text - 1);
}

std::vector<std::string> comboItems(HWND dialog, int id, DWORD timeout) {
    std::vector<std::string> items;
    HWND combo = GetDlgItem(dialog, id);
    DWORD_PTR count = 0;
    if (combo == nullptr || !sendBounded(combo, CB_GETCOUNT, 0, 0, timeout, count)) {
        return items;
    }
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!sendBounded(combo, CB_GETLBTEXTLEN, i, 0, timeout, length)) {
            return {};
        }
        std::string item(static_cast<size_t>(length) + 1, '\0');
        DWORD_PTR copied = 0;
        if (!sendBounded(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()), timeout, copied)) {
            return {};
        }
        item.resize(static_cast<size_t>(length));
        items.push_back(item);
    }
    return items;
}

bool clickControl(HWND window, int id, DWORD timeout, std::string& error) {
    HWND button = control(window, id, error);
    if (button == nullptr) {
        return false;
    }
    DWORD_PTR ignored = 0;
    if (!sendBounded(button, BM_CLICK, 0, 0, timeout, ignored)) {
        error = "control " + std::to_string(id) + " did not take the click within " + std::to_string(timeout) + " ms";
        return false;
    }
    return true;
}

int checkState(HWND window, int id, DWORD timeout, std::string& error) {
    HWND button = control(window, id, error);
    if (button == nullptr) {
        return -1;
    }
    DWORD_PTR state = 0;
    if (!sendBounded(button, BM_GETCHECK, 0, 0, timeout, state)) {
        error = "control " + std::to_string(id) + " did not answer within " + std::to_string(timeout) + " ms";
        return -1;
    }
    return static_cast<int>(state);
}

bool setControl(HWND dialog, int id, const std::string& text, DWORD timeout, std::string& error) {
    HWND item = control(dialog, id, error);
    if (item == nullptr) {
        return false;
    }
    const std::string kind = classOf(item);
    DWORD_PTR result = 0;
    const std::string late =
        "control " + std::to_string(id) + " did not answer within " + std::to_string(timeout) + " ms";
    if (lstrcmpiA(kind.c_str(), "ComboBox") == 0 && (GetWindowLongA(item, GWL_STYLE) & 3) == CBS_DROPDOWNLIST) {
        if (!sendBounded(item, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()),
                         timeout, result)) {
            error = late;
            return false;
        }
        if (static_cast<LRESULT>(result) == CB_ERR) {
            error = "the list " + std::to_string(id) + " has no item \"" + text + "\"";
            return false;
        }
        DWORD_PTR ignored = 0;
        // Selected as a user would: the dialog hears of the change.
        if (!sendBounded(item, CB_SETCURSEL, result, 0, timeout, ignored) ||
            !sendBounded(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(item), timeout,
                         ignored)) {
            error = late;
            return false;
        }
        return true;
    }
    if (lstrcmpiA(kind.c_str(), "Edit") == 0 || lstrcmpiA(kind.c_str(), "ComboBox") == 0) {
        if (!sendBounded(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), timeout, result)) {
            error = late;
            return false;
        }
        return true;
    }
    if (lstrcmpiA(kind.c_str(), "Button") == 0 && (text == "0" || text == "1")) {
        const int state = checkState(dialog, id, timeout, error);
        if (state < 0) {
            return false;
        }
        // A click, not BM_SETCHECK, so the dialog sees what an operator does.
        return state == (text == "1" ? BST_CHECKED : BST_UNCHECKED) || clickControl(dialog, id, timeout, error);
    }
    error = "control " + std::to_string(id) + " is a " + kind + ", not an edit box, combo box or check box (0/1)";
    return false;
}

void postButtonCommand(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool saveWindowBitmap(HWND window, const std::string& path, std::string& error, SIZE& size) {
    RECT bounds{};
    if (!GetWindowRect(window, &bounds) || bounds.right <= bounds.left || bounds.bottom <= bounds.top) {
        error = "the window has no size";
        return false;
    }
    size = {bounds.right - bounds.left, bounds.bottom - bounds.top};
    ScopedWindowDc screen(window);
    ScopedMemoryDc memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = size.cy;  // positive: rows bottom-up, as a BMP file stores them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ScopedBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (screen.get() == nullptr || memory.get() == nullptr || bitmap.get() == nullptr || bits == nullptr) {
        error = "no device context or bitmap for the window";
        return false;
    }
    {
        ScopedSelection selection(memory.get(), bitmap.get());
        if (!BitBlt(memory.get(), 0, 0, size.cx, size.cy, screen.get(), 0, 0, SRCCOPY)) {
            error = "BitBlt failed: error " + std::to_string(GetLastError());
            return false;
        }
        GdiFlush();
    }

    const DWORD rowBytes = (static_cast<DWORD>(size.cx) * 3 + 3) & ~3u;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(size.cy);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageBytes;
    info.bmiHeader.biSizeImage = imageBytes;
    ScopedFile file(path);
    if (file.get() == nullptr) {
        error = "cannot write " + path;
        return false;
    }
    const bool written = std::fwrite(&header, sizeof header, 1, file.get()) == 1 &&
                         std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file.get()) == 1 &&
                         std::fwrite(bits, 1, imageBytes, file.get()) == imageBytes;
    if (!file.close() || !written) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

struct HelperThread::Shared {
    std::function<void()> task;
    ScopedHandle finished = makeEvent();
};

HelperThread::HelperThread(std::function<void()> task) : shared_(std::make_shared<Shared>()) {
    shared_->task = std::move(task);
    auto* parameter = new std::shared_ptr<Shared>(shared_);
    thread_ = ScopedHandle(CreateThread(nullptr, 0, run, parameter, 0, nullptr));
    if (!thread_) {
        delete parameter;
        SetEvent(shared_->finished.get());
    }
}

HelperThread::~HelperThread() {
    waitPumping(shared_->finished.get(), kHelperExitBound);
}

HANDLE HelperThread::finishedEvent() const {
    return shared_->finished.get();
}

bool HelperThread::waitFinished(DWORD timeoutMs) const {
    return waitPumping(finishedEvent(), timeoutMs);
}

DWORD WINAPI HelperThread::run(void* parameter) {
    std::unique_ptr<std::shared_ptr<Shared>> shared(static_cast<std::shared_ptr<Shared>*>(parameter));
    try {
        (*shared)->task();
    } catch (...) {
        // The task reports through what it captured; nothing may escape a thread.
    }
    SetEvent((*shared)->finished.get());
    return 0;
}

}  // namespace pelksim
