#include "window_test_support.h"

namespace {

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ReceivedMessages().push_back({message, wParam, lParam});
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_GETMINMAXINFO:
        ((MINMAXINFO*)lParam)->ptMinTrackSize = POINT{328, 267};
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

std::vector<ReceivedMessage>& ReceivedMessages()
{
    static std::vector<ReceivedMessage> messages;
    return messages;
}

HWND CreateTestWindow(int clientWidth, int clientHeight, bool show)
{
    static ATOM registered = [] {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = RecordingProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.lpszClassName = "RecordingWindow";
        return RegisterClassExA(&windowClass);
    }();
    if (!registered)
        return nullptr;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
    RECT rect = {100, 50, 100 + clientWidth, 50 + clientHeight};
    AdjustWindowRectEx(&rect, style, FALSE, WS_EX_WINDOWEDGE);
    HWND window = CreateWindowExA(WS_EX_WINDOWEDGE, "RecordingWindow", "Test Window", style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, GetDesktopWindow(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window && show) {
        ShowWindow(window, SW_SHOWDEFAULT);
        UpdateWindow(window);
    }
    return window;
}

std::vector<UINT> ReceivedKinds()
{
    std::vector<UINT> kinds;
    for (const ReceivedMessage& received : ReceivedMessages())
        if (received.message != WM_GETMINMAXINFO)
            kinds.push_back(received.message);
    return kinds;
}

void DrainMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
