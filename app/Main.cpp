// Quillmoth's start: one instance per executable name, the application with its
// main form hidden, the main form with its components, then the message loop.
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/Setting.h"
#include "framework/Application.h"
#include "settings/AutoIni.h"

namespace {

class MutexHandle {
  public:
    explicit MutexHandle(HANDLE h) : handle_(h) {}
    ~MutexHandle() {
        if (handle_) {
            ReleaseMutex(handle_);
            CloseHandle(handle_);
        }
    }
    MutexHandle(const MutexHandle&) = delete;
    MutexHandle& operator=(const MutexHandle&) = delete;

  private:
    HANDLE handle_;
};

std::vector<std::string> Arguments() {
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i)
        args.emplace_back(__argv[i]);
    return args;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A second start from the same file name ends here, silently.
    const std::string name = qm::ProgramFileName();
    if (HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name.c_str())) {
        CloseHandle(running);
        return 0;
    }
    const MutexHandle mutex(CreateMutexA(nullptr, FALSE, name.c_str()));

    qm::TApplication& app = qm::Application();
    app.SetShowMainForm(false);
    app.SetTitle("Quillmoth");

    std::unique_ptr<qm::TForm1> form;
    try {
        form = std::make_unique<qm::TForm1>();
    } catch (const std::exception& e) {
        // Without its clipboard viewer or its window the program cannot run.
        app.ShowException(e);
        return 1;
    }
    app.SetMainForm(form.get());
    try {
        form->FormCreate(Arguments());
    } catch (const std::exception& e) {
        app.ShowException(e);
    }
    const int code = app.Run();
    app.SetMainForm(nullptr);
    form.reset();
    return code;
}
