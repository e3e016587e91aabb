#include "splash/SplashWindow_win.h"

#include "splash/SplashLayout.h"
#include "util/ProcAddress_win.h"

namespace {

const wchar_t kClassName[] = L"SplashScreenWindow";

// The few GDI+ functions the splash uses, from its flat API. gdiplus.dll is
// loaded on the first splash window only, so that a start without a splash
// does not pay for it, and it stays loaded for the life of the process.
struct GdiPlus {
    struct StartupInput {
        UINT32 version;
        void* debugEventCallback;
        BOOL suppressBackgroundThread;
        BOOL suppressExternalCodecs;
    };
    using Startup = int(WINAPI*)(ULONG_PTR*, const StartupInput*, void*);
    using Shutdown = void(WINAPI*)(ULONG_PTR);
    using CreateBitmapFromFile = int(WINAPI*)(const WCHAR*, void**);
    using GetImageSize = int(WINAPI*)(void*, UINT*);
    using DisposeImage = int(WINAPI*)(void*);
    using CreateFromHdc = int(WINAPI*)(HDC, void**);
    using SetInterpolationMode = int(WINAPI*)(void*, int);
    using CreateImageAttributes = int(WINAPI*)(void**);
    using SetImageAttributesWrapMode = int(WINAPI*)(void*, int, DWORD, BOOL);
    using DrawImageRectRect = int(WINAPI*)(void*, void*, INT, INT, INT, INT, INT, INT, INT, INT, int, const void*,
                                           void*, void*);
    using DisposeImageAttributes = int(WINAPI*)(void*);
    using DeleteGraphics = int(WINAPI*)(void*);
    using CreateHbitmapFromBitmap = int(WINAPI*)(void*, HBITMAP*, DWORD);

    static constexpr int kInterpolationModeHighQualityBicubic = 7;
    static constexpr int kWrapModeTileFlipXY = 3;
    static constexpr int kUnitPixel = 2;
    static constexpr DWORD kOpaqueBlack = 0xFF000000;

    Shutdown shutdown = nullptr;
    CreateBitmapFromFile createBitmapFromFile = nullptr;
    GetImageSize getImageWidth = nullptr;
    GetImageSize getImageHeight = nullptr;
    DisposeImage disposeImage = nullptr;
    CreateFromHdc createFromHdc = nullptr;
    SetInterpolationMode setInterpolationMode = nullptr;
    CreateImageAttributes createImageAttributes = nullptr;
    SetImageAttributesWrapMode setImageAttributesWrapMode = nullptr;
    DrawImageRectRect drawImageRectRect = nullptr;
    DisposeImageAttributes disposeImageAttributes = nullptr;
    DeleteGraphics deleteGraphics = nullptr;
    CreateHbitmapFromBitmap createHbitmapFromBitmap = nullptr;
    ULONG_PTR token = 0;
    bool started = false;

    // Pictures are rendered and GDI+ is shut down under this lock, so that an
    // exit during a render (System.exit from Java) never shuts it down
    // under the render.
    SRWLOCK lock = SRWLOCK_INIT;

    // A picture still being rendered when the process ends (a splash given
    // up before it was shown) keeps GDI+ as it is: the process's end never
    // waits for a picture.
    ~GdiPlus() {
        if (!TryAcquireSRWLockExclusive(&lock)) return;
        if (started) shutdown(token);
        started = false;
        ReleaseSRWLockExclusive(&lock);
    }

    bool load() {
        HMODULE module = LoadLibraryExW(L"gdiplus.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        // Windows 7 without its loader update knows no LOAD_LIBRARY_SEARCH_SYSTEM32.
        if (module == nullptr) module = LoadLibraryW(L"gdiplus.dll");
        if (module == nullptr) return false;
        const auto startup = procAddress<Startup>(module, "GdiplusStartup");
        shutdown = procAddress<Shutdown>(module, "GdiplusShutdown");
        createBitmapFromFile = procAddress<CreateBitmapFromFile>(module, "GdipCreateBitmapFromFile");
        getImageWidth = procAddress<GetImageSize>(module, "GdipGetImageWidth");
        getImageHeight = procAddress<GetImageSize>(module, "GdipGetImageHeight");
        disposeImage = procAddress<DisposeImage>(module, "GdipDisposeImage");
        createFromHdc = procAddress<CreateFromHdc>(module, "GdipCreateFromHDC");
        setInterpolationMode = procAddress<SetInterpolationMode>(module, "GdipSetInterpolationMode");
        createImageAttributes = procAddress<CreateImageAttributes>(module, "GdipCreateImageAttributes");
        setImageAttributesWrapMode =
            procAddress<SetImageAttributesWrapMode>(module, "GdipSetImageAttributesWrapMode");
        drawImageRectRect = procAddress<DrawImageRectRect>(module, "GdipDrawImageRectRectI");
        disposeImageAttributes = procAddress<DisposeImageAttributes>(module, "GdipDisposeImageAttributes");
        deleteGraphics = procAddress<DeleteGraphics>(module, "GdipDeleteGraphics");
        createHbitmapFromBitmap = procAddress<CreateHbitmapFromBitmap>(module, "GdipCreateHBITMAPFromBitmap");
        if (!startup || !shutdown || !createBitmapFromFile || !getImageWidth || !getImageHeight || !disposeImage ||
            !createFromHdc || !setInterpolationMode || !createImageAttributes || !setImageAttributesWrapMode ||
            !drawImageRectRect || !disposeImageAttributes || !deleteGraphics || !createHbitmapFromBitmap)
            return false;
        const StartupInput input = {1, nullptr, FALSE, FALSE};
        started = startup(&token, &input, nullptr) == 0;
        return started;
    }
};

GdiPlus gdiPlus;
INIT_ONCE gdiPlusOnce = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK startGdiPlus(INIT_ONCE*, void*, void**) noexcept {
    gdiPlus.load();
    return TRUE;
}

// The picture scaled and placed for the primary screen, drawn into a bitmap
// compatible with it. Without GDI+ or a readable picture: an empty placement.
UniqueGdiObject renderPicture(const std::wstring& imagePath, SplashPlacement& placement) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    UniqueGdiObject bitmap;
    InitOnceExecuteOnce(&gdiPlusOnce, startGdiPlus, nullptr, nullptr);
    AcquireSRWLockExclusive(&gdiPlus.lock);
    void* picture = nullptr;
    if (gdiPlus.started && gdiPlus.createBitmapFromFile(imagePath.c_str(), &picture) != 0) picture = nullptr;
    UINT width = 0;
    UINT height = 0;
    if (picture != nullptr) {
        gdiPlus.getImageWidth(picture, &width);
        gdiPlus.getImageHeight(picture, &height);
    }
    placement = placeSplash(static_cast<int>(width), static_cast<int>(height), GetSystemMetrics(SM_CXSCREEN),
                            GetSystemMetrics(SM_CYSCREEN), dpi);
    const bool scaled = placement.width != static_cast<int>(width) || placement.height != static_cast<int>(height);
    HBITMAP copy = nullptr;
    if (picture != nullptr && !scaled && placement.width > 0 &&
        gdiPlus.createHbitmapFromBitmap(picture, &copy, GdiPlus::kOpaqueBlack) == 0) {
        // At the picture's own size there is nothing to interpolate: a plain
        // copy, transparent areas on black as a drawing into a fresh bitmap
        // gives them, and many times faster for a large picture.
        bitmap.reset(copy);
    } else if (picture != nullptr && placement.width > 0 && placement.height > 0) {
        bitmap.reset(CreateCompatibleBitmap(screen, placement.width, placement.height));
        HDC memory = CreateCompatibleDC(screen);
        void* graphics = nullptr;
        if (bitmap && memory != nullptr) {
            HGDIOBJ previous = SelectObject(memory, bitmap.get());
            if (gdiPlus.createFromHdc(memory, &graphics) == 0) {
                gdiPlus.setInterpolationMode(graphics, GdiPlus::kInterpolationModeHighQualityBicubic);
                void* attributes = nullptr;
                if (gdiPlus.createImageAttributes(&attributes) != 0) attributes = nullptr;
                // Mirrored edges keep bicubic scaling from pulling in a dark border.
                if (attributes != nullptr)
                    gdiPlus.setImageAttributesWrapMode(attributes, GdiPlus::kWrapModeTileFlipXY,
                                                       GdiPlus::kOpaqueBlack, FALSE);
                gdiPlus.drawImageRectRect(graphics, picture, 0, 0, placement.width, placement.height, 0, 0,
                                          static_cast<INT>(width), static_cast<INT>(height), GdiPlus::kUnitPixel,
                                          attributes, nullptr, nullptr);
                if (attributes != nullptr) gdiPlus.disposeImageAttributes(attributes);
                gdiPlus.deleteGraphics(graphics);
            }
            SelectObject(memory, previous);
        }
        if (memory != nullptr) DeleteDC(memory);
    }
    if (picture != nullptr) gdiPlus.disposeImage(picture);
    ReleaseSRWLockExclusive(&gdiPlus.lock);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

bool registerSplashClass(WNDPROC windowProc, bool shadow) {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS | CS_SAVEBITS | (shadow ? CS_DROPSHADOW : 0);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    return registered = RegisterClassExW(&windowClass) != 0 || (shadow && registerSplashClass(windowProc, false));
}

}  // namespace

SplashWindow::~SplashWindow() {
    destroy();
}

HWND SplashWindow::create(const std::wstring& imagePath, bool shadow) {
    const bool registered = registerSplashClass(windowProc, shadow);
    SplashPlacement placement;
    bitmap_ = renderPicture(imagePath, placement);
    width_ = bitmap_ ? placement.width : 0;
    height_ = bitmap_ ? placement.height : 0;
    if (!registered) return nullptr;
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, nullptr, WS_POPUP, placement.x, placement.y,
                              placement.width, placement.height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    return window_;
}

void SplashWindow::destroy() {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
    bitmap_.reset();
}

void SplashWindow::paint(HWND window) const {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(window, &ps);
    if (hdc != nullptr && bitmap_) {
        HDC memory = CreateCompatibleDC(hdc);
        if (memory != nullptr) {
            HGDIOBJ previous = SelectObject(memory, bitmap_.get());
            BitBlt(hdc, 0, 0, width_, height_, memory, 0, 0, SRCCOPY);
            SelectObject(memory, previous);
            DeleteDC(memory);
        }
    }
    EndPaint(window, &ps);
}

LRESULT CALLBACK SplashWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    const auto* self = reinterpret_cast<const SplashWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT:
        if (self != nullptr) {
            self->paint(window);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
