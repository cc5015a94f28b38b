#include "platform/win32/after_start_window.h"

#include <utility>

#include "platform/failure.h"
#include "platform/win32/com_server.h"

namespace vx::win {

namespace {

constexpr wchar_t kClassName[] = L"VelloxAfterStart";
constexpr UINT kRunStep = WM_APP + 0x21;

}  // namespace

AfterStartWindow::~AfterStartWindow() {
  if (!window_) return;
  DestroyWindow(window_);
  // Fails while another object's window of the class exists; the last one
  // takes the class with it, so a library loaded again registers it afresh.
  UnregisterClassW(kClassName, module::Handle());
}

void AfterStartWindow::Post(std::function<void()> step) {
  if (!window_) {
    WNDCLASSEXW type{};
    type.cbSize = sizeof(type);
    type.lpfnWndProc = &Proc;
    type.hInstance = module::Handle();
    type.lpszClassName = kClassName;
    RegisterClassExW(&type);  // registered already while another window of it lives
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              module::Handle(), nullptr);
    if (!window_) Raise(fail::kInternalError);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  const bool posted = static_cast<bool>(step_);
  step_ = std::move(step);
  if (!posted && !PostMessageW(window_, kRunStep, 0, 0)) {
    step_ = nullptr;
    Raise(fail::kInternalError);
  }
}

void AfterStartWindow::Cancel() noexcept { step_ = nullptr; }

void AfterStartWindow::Run() noexcept {
  std::function<void()> step = std::move(step_);
  step_ = nullptr;
  if (!step) return;
  IUnknown* owner = owner_;
  owner->AddRef();
  Boundary(0, [&] {
    step();
    return 0;
  });
  step = nullptr;
  // The last reference may go here, and this object with it: nothing of it
  // is touched afterwards.
  owner->Release();
}

LRESULT CALLBACK AfterStartWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunStep) return DefWindowProcW(window, message, wParam, lParam);
  if (auto* self = reinterpret_cast<AfterStartWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
    self->Run();
  }
  return 0;
}

}  // namespace vx::win
