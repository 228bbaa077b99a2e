#include "Program.h"

#include "DesktopShell.h"
#include "Guard.h"
#include "SettingsStore.h"
#include "SingleInstance.h"
#include "TAboutPlg1.h"
#include "TSplashForm.h"
#include "TdbTesmora.h"
#include "TfrmTesmora.h"
#include "WidgetMessages.h"

#include <QApplication>
#include <QPointer>
#include <memory>

namespace {

// The last line of defence: an exception that escaped a handler's own guard
// is shown, never carried through the event loop.
class TesmoraApplication final : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        bool result = false;
        guarded([&] { result = QApplication::notify(receiver, event); });
        return result;
    }
};

} // namespace

int runProgram(int argc, char* argv[])
{
    TesmoraApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tesmora"));
    QApplication::setOrganizationName(QStringLiteral("Nuvek"));

    WidgetMessages widgetMessages;
    setMessages(&widgetMessages);
    DesktopShell desktopShell;
    setShell(&desktopShell);

    SettingsStore& settings = settingsStore();
    SingleInstance instance(SingleInstance::defaultName(settings.folder()));
    if (instance.askRunningCopyToComeForward())
        return 0;
    instance.listen();

    auto splash = std::make_unique<TSplashForm>();
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    QApplication::setApplicationDisplayName(TfrmTesmora::kCaption);
    auto dbTesmora = std::make_unique<TdbTesmora>();
    auto frmTesmora = std::make_unique<TfrmTesmora>(*dbTesmora, settings);
    // Kept hidden for the whole run, owned by the main window.
    auto* aboutPlg1 = new TAboutPlg1(frmTesmora.get());
    aboutPlg1->setObjectName(QStringLiteral("AboutPlg1"));
    aboutPlg1->hide();
    QObject::connect(&instance, &SingleInstance::comeForwardRequested, frmTesmora.get(),
                     [window = frmTesmora.get()] { window->restoreAndRaise(); });

    splash.reset();
    frmTesmora->show();
    const int code = QApplication::exec();

    frmTesmora.reset();
    dbTesmora.reset();
    setShell(nullptr);
    setMessages(nullptr);
    return code;
}
