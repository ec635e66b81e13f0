#include "app/uHelp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QResource>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/uDialogs.h"
#include "app/uLanguage.h"
#include "widgets/uWindowSupport.h"

namespace tesra {
namespace {

// The manual's pages appear under this resource root once the help file is registered.
const QString kManualRoot = QStringLiteral("/tesra-manual");

QString& helpFileSetting()
{
    static QString path;
    return path;
}

// The file registered as the manual, so that a changed help file replaces it.
QString& registeredFile()
{
    static QString path;
    return path;
}

// The German pages are in "de/" beside the English ones; a page not translated yet is shown in
// English.
const QString kGermanFolder = QStringLiteral("de/");

QUrl manualUrl(const QString& page)
{
    QString name = page.section('#', 0, 0);
    if (CurrentLanguage() == Language::German && QFile::exists(':' + kManualRoot + '/' + kGermanFolder + name))
        name.prepend(kGermanFolder);
    QUrl url(QStringLiteral("qrc:") + kManualRoot + '/' + name);
    const QString anchor = page.section('#', 1);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

// F1 anywhere: the page of the focused widget's window, looked up through its parents.
class HelpKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget)
            return false;
        // A key event travels up the parents and passes this filter once per step; the
        // first sight is the widget with focus, which also gives the most precise context.
        ShowHelpContext(widget->window(), HelpContextFor(widget));
        return true;
    }
};

}  // namespace

void SetHelpContext(QWidget* widget, int context)
{
    if (widget)
        widget->setProperty(kHelpContextProperty, context);
}

int HelpContextFor(const QWidget* widget)
{
    // Up to the window the widget lies in, not beyond: a dialog does not borrow the page of
    // the window that owns it.
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant value = w->property(kHelpContextProperty);
        if (value.isValid() && value.toInt() > 0)
            return value.toInt();
        if (w->isWindow())
            break;
    }
    return help::kContents;
}

QString HelpFile()
{
    if (!helpFileSetting().isEmpty())
        return helpFileSetting();
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kHelpFileName));
}

void SetHelpFile(const QString& path) { helpFileSetting() = path; }

void SetHelpHandler(HelpHandler handler) { TestHandler<HelpHandler>() = std::move(handler); }

TfHelp* fHelp() { return soleWindow<TfHelp>(); }

void ShowHelpContents(QWidget* parent) { ShowHelpContext(parent, help::kContents); }

void ShowHelpContext(QWidget* parent, int context)
{
    Q_UNUSED(parent);
    if (TestHandler<HelpHandler>()) {
        TestHandler<HelpHandler>()(context);
        return;
    }
    // The help window stands on its own, like a separate viewer: it stays usable while a
    // dialog of the program is open, and closing a window of the program leaves it open.
    if (!soleWindow<TfHelp>()) {
        soleWindow<TfHelp>() = new TfHelp;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, soleWindow<TfHelp>(), &QObject::deleteLater);
    }
    TfHelp* window = soleWindow<TfHelp>();
    window->showPage(QString::fromStdString(HelpPageForContext(context)));
    window->show();
    window->raise();
    window->activateWindow();
}

void InstallHelpKey(QApplication* app)
{
    if (!app)
        return;
    static QPointer<HelpKeyFilter> filter;
    if (filter)
        return;
    filter = new HelpKeyFilter(app);
    app->installEventFilter(filter);
}

TfHelp::TfHelp(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("fHelp");
    setWindowTitle(tr("Tesra Help"));
    resize(720, 640);

    auto* contents = new QPushButton(tr("Contents"), this);
    contents->setObjectName("bContents");
    auto* back = new QPushButton(tr("Back"), this);
    back->setObjectName("bBack");
    auto* forward = new QPushButton(tr("Forward"), this);
    forward->setObjectName("bForward");
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName("tBrowser");
    m_browser->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { showPage("index.html"); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? tr("Tesra Help") : tr("Tesra Help - %1").arg(title));
    });
}

bool TfHelp::loadHelpFile()
{
    const QString file = HelpFile();
    if (registeredFile() == file && !file.isEmpty())
        return true;
    if (!registeredFile().isEmpty()) {
        QResource::unregisterResource(registeredFile(), kManualRoot);
        registeredFile().clear();
    }
    if (!QResource::registerResource(file, kManualRoot))
        return false;
    registeredFile() = file;
    m_browser->clearHistory();
    return true;
}

void TfHelp::showPage(const QString& page)
{
    if (!loadHelpFile()) {
        m_browser->clear();
        m_browser->setPlainText(tr("The help file \"%1\" cannot be opened. It belongs in the "
                                    "program's folder, next to the program itself.")
                                    .arg(QDir::toNativeSeparators(HelpFile())));
        setWindowTitle(tr("Tesra Help"));
        return;
    }
    const QUrl url = manualUrl(page);
    if (m_browser->source().matches(url, QUrl::RemoveFragment) && !url.fragment().isEmpty()) {
        // The same page: only move to the anchor (setSource would not scroll again).
        m_browser->setSource(url);
        m_browser->scrollToAnchor(url.fragment());
        return;
    }
    m_browser->setSource(url);
}

QString TfHelp::currentPage() const
{
    const QUrl url = m_browser->source();
    const QString path = url.path();
    const QString root = kManualRoot + '/';
    QString page = path.startsWith(root) ? path.mid(root.size()) : path;
    if (page.startsWith(kGermanFolder))
        page.remove(0, kGermanFolder.size());
    if (url.hasFragment())
        page += '#' + url.fragment();
    return page;
}

}  // namespace tesra
