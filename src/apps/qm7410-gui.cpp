// qm7410-gui: the evaluation and monitoring window for a QM7410 stack.
#include <QApplication>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "ui/MainWindow.h"
#include "options/Options.h"

namespace {
constexpr const char* kProgram = "qm7410-gui";
constexpr const char* kVersion = "0.1.0";
} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const qm::options::Options options = qm::options::ParseOptions(args);
    if (!options.error.empty()) {
        std::cerr << kProgram << ": " << options.error << "\nTry '" << kProgram << " --help'.\n";
        return 2;
    }
    if (options.help) {
        std::cout << qm::options::UsageText(kProgram);
        return 0;
    }
    if (options.version) {
        std::cout << kProgram << " " << kVersion << "\n";
        return 0;
    }

    qm::options::OpenedDevice opened =
        qm::options::OpenDevice(options.device, std::string(kProgram) + " " + kVersion);
    if (!opened.error.empty()) {
        std::cerr << kProgram << ": " << opened.error << "\n";
        return 2;
    }
    qm::link::Device& device = opened.use();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QM7410 stack monitor"));
    qm::ui::MainWindow window(device);
    window.datalog().setSource(std::string(kProgram) + " " + kVersion, opened.description);
    if (!window.start()) {
        if (const auto why = opened.failure()) {
            std::cerr << kProgram << ": " << *why << "\n";
            return 1;
        }
        std::cerr << kProgram << ": no QM7410 controller board found"
                  << (options.device.kind == qm::options::DeviceChoice::Kind::Simulated ? "" : " (try --simulate)") << "\n";
        return 1;
    }
    window.show();
    const int rc = QApplication::exec();
    if (window.session().closeReason() == qm::acquisition::CloseReason::BoardLost) {
        if (const auto why = opened.failure()) std::cerr << kProgram << ": " << *why << "\n";
        else std::cerr << kProgram << ": the QM7410 controller board stopped answering; closing\n";
        return 1;
    }
    return rc;
}
