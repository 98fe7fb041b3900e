// Process entry: the instance lock, forwarding to the running copy, creating the windows.
#include "app/Instance.h"

#include "accessories/AccessoryWindows.h"
#include "app/ErrorBox.h"
#include "app/ForwardRecord.h"
#include "mainwindow/FormOfQarn.h"
#include "platform/CommandChannel.h"
#include "platform/InstanceLock.h"
#include "platform/RuntimeDir.h"

#include <QApplication>
#include <QDir>

#include <QSocketNotifier>

#include <clocale>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

TFormOfQarn* FormOfQarn = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TImageViewerOfQarn* ImageViewerOfQarn = nullptr;
TAboutQarn* AboutQarn = nullptr;

namespace qarn {

namespace {

QString g_socketPath;
QString g_startupArgument;

// Like a sent window message, the second copy waits for the running one to handle it; a copy
// that hangs must not keep it forever.
constexpr int kForwardWaitMs = 60000;

// Exceptions that escape an event handler are shown and the loop goes on.
class QarnApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* e) override {
        bool result = false;
        guarded([&] { result = QApplication::notify(receiver, e); });
        return result;
    }
};

int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char c = 1;
    (void)!::write(g_signalPipe[1], &c, 1);
}

// A session that ends, or Ctrl+C in a terminal, closes the main window the normal way, so
// the settings are written and the system volume is put back.
void closeOnTerminationSignals() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char buf[16];
        while (::read(g_signalPipe[0], buf, sizeof buf) > 0) {
        }
        if (FormOfQarn)
            FormOfQarn->close();
        else
            QCoreApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

} // namespace

QString commandSocketPath() {
    return g_socketPath;
}
void setCommandSocketPath(const QString& path) {
    g_socketPath = path;
}

QString startupArgument() {
    return g_startupArgument;
}

void setStartupArgument(const QString& argument) {
    g_startupArgument = argument;
}

int runPlayer(int argc, char** argv) {
    const QString runtimeDir = userRuntimeDir();
    InstanceLock lock(runtimeDir);
    const QString socketPath = runtimeDir.isEmpty() ? QString() : runtimeDir + '/' + kWindowTitle;

    if (lock.tryAcquire() == InstanceLock::Result::HeldByAnother) {
        const QString tail = buildCommandTail(argumentsOf(argc, argv), QDir::currentPath());
        // Nobody listening yet (the first copy is still starting): the line is lost.
        sendCommandRecord(socketPath, encodeForwardRecord(tail), kForwardWaitMs);
        return 0;
    }
    // Without a private runtime folder the player still runs, only without a single instance.
    setCommandSocketPath(lock.path().isEmpty() ? QString() : socketPath);

    setStartupArgument(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    QarnApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kWindowTitle));
    QApplication::setQuitOnLastWindowClosed(false);
    // libmpv needs C number formatting; the calculator asks QLocale for the separator.
    std::setlocale(LC_NUMERIC, "C");
    closeOnTerminationSignals();

    guarded([&] {
        FormOfQarn = new TFormOfQarn;
        Form2 = new TForm2;
        Form3 = new TForm3;
        ImageViewerOfQarn = new TImageViewerOfQarn;
        AboutQarn = new TAboutQarn;
        FormOfQarn->show();
        QApplication::exec();
    });
    delete AboutQarn;
    delete ImageViewerOfQarn;
    delete Form3;
    delete Form2;
    delete FormOfQarn;
    AboutQarn = nullptr;
    ImageViewerOfQarn = nullptr;
    Form3 = nullptr;
    Form2 = nullptr;
    FormOfQarn = nullptr;
    lock.release();
    return 0;
}

} // namespace qarn
