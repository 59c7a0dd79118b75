// Quillmoth's start: one instance per executable name, the application with its
// main form hidden, the main form with its components, then the message loop.
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/Setting.h"
#include "app/SingleInstance.h"
#include "base/Path.h"
#include "framework/Application.h"

namespace {

std::vector<std::string> Arguments() {
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i)
        args.emplace_back(__argv[i]);
    return args;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A second start from the same file name ends here, silently.
    std::unique_ptr<qm::SingleInstance> instance;
    try {
        instance = std::make_unique<qm::SingleInstance>(qm::ProgramFileName());
    } catch (const std::exception& e) {
        qm::Application().SetTitle("Quillmoth");
        qm::Application().ShowException(e);
        return 1;
    }
    if (instance->AlreadyRunning()) return 0;

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
