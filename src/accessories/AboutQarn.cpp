// The About box, its links and their colour effects, and the main window's About command.
#include "accessories/AboutQarn.h"

#include "app/Instance.h"
#include "language/Bilingual.h"
#include "mainwindow/FormOfQarn.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace {

constexpr qarn::BiText kNotice{
    "Qarn player © 2023–2025 Anton Veresov. Questions and ideas are welcome at the address below.",
    "Qarn player © 2023–2025 Антон Вересов. Вопросы и пожелания пишите на адрес ниже."};
constexpr qarn::BiText kSiteHeading{"Official site:", "Официальный сайт"};
constexpr qarn::BiText kThanks{"Thanks to Marina Lebedeva for testing every release.",
                               "Спасибо Марине Лебедевой за проверку каждой версии."};

const QColor kLinkColour(0, 0, 255);
const QColor kLinkHotColour(255, 128, 0);
const QColor kLinkPressedColour(255, 0, 0);

void defaultOpener(const QUrl& url) {
    // Fire and forget: nothing is reported when the desktop has no handler.
    QDesktopServices::openUrl(url);
}

TAboutQarn::UrlOpener& urlOpener() {
    static TAboutQarn::UrlOpener opener = defaultOpener;
    return opener;
}

void setFontColour(QLabel* label, const QColor& colour) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

// A borderless, read-only memo on the window's background that wraps inside its width.
QPlainTextEdit* makeMemo(QWidget* parent, const char* name, int top, int height) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    memo->setGeometry(0, top, 185, height);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->document()->setDocumentMargin(2);
    memo->viewport()->setCursor(Qt::ArrowCursor);
    QPalette pal = memo->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    memo->setPalette(pal);
    return memo;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLabel* makeLink(QWidget* parent, const char* name, const QString& text, int left, int top) {
    QLabel* link = makeLabel(parent, name, text, left, top);
    link->setCursor(Qt::PointingHandCursor);
    link->setMouseTracking(true);
    setFontColour(link, kLinkColour);
    return link;
}

} // namespace

TAboutQarn::TAboutQarn(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName("AboutQarn");
    setWindowTitle(QStringLiteral("About Qarn player"));
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(185, 161);

    // The button comes first so it is first in the tab order and takes the focus.
    OKHideIt = new QPushButton(QStringLiteral("OK"), this);
    OKHideIt->setObjectName("OKHideIt");
    OKHideIt->setGeometry(56, 136, 75, 25);
    OKHideIt->setAutoDefault(true);
    FirstStrings = makeMemo(this, "FirstStrings", 0, 57);
    Mail = makeLink(this, "Mail", mailAddress(), 32, 56);
    OffSite = makeLabel(this, "OffSite", QString(), 0, 72);
    Site = makeLink(this, "Site", siteAddress(), 32, 88);
    Memo2 = makeMemo(this, "Memo2", 104, 33);
    QWidget::setTabOrder(OKHideIt, FirstStrings);
    QWidget::setTabOrder(FirstStrings, Memo2);

    Mail->installEventFilter(this);
    Site->installEventFilter(this);
    connect(OKHideIt, &QPushButton::clicked, this, &TAboutQarn::OKHideItClick);
}

QString TAboutQarn::mailAddress() {
    return QStringLiteral("veresov@example.org");
}

QString TAboutQarn::siteAddress() {
    return QStringLiteral("qarn.example.org");
}

void TAboutQarn::setUrlOpener(UrlOpener opener) {
    urlOpener() = opener ? std::move(opener) : UrlOpener(defaultOpener);
}

void TAboutQarn::OKHideItClick() {
    hide();
}

// The site caption is a bare host name; the desktop needs a scheme to pick a browser.
void TAboutQarn::SiteClick() {
    urlOpener()(QUrl::fromUserInput(Site->text()));
}

void TAboutQarn::MailClick() {
    urlOpener()(QUrl(QStringLiteral("mailto:") + Mail->text()));
}

void TAboutQarn::SiteMouseMove() {
    setFontColour(Site, kLinkHotColour);
}
void TAboutQarn::SiteMouseDown() {
    setFontColour(Site, kLinkPressedColour);
}
void TAboutQarn::SiteMouseUp() {
    setFontColour(Site, kLinkColour);
}
void TAboutQarn::SiteMouseLeave() {
    setFontColour(Site, kLinkColour);
}
void TAboutQarn::MailMouseMove() {
    setFontColour(Mail, kLinkHotColour);
}
void TAboutQarn::MailMouseDown() {
    setFontColour(Mail, kLinkPressedColour);
}
void TAboutQarn::MailMouseUp() {
    setFontColour(Mail, kLinkColour);
}
void TAboutQarn::MailMouseLeave() {
    setFontColour(Mail, kLinkColour);
}

bool TAboutQarn::eventFilter(QObject* watched, QEvent* e) {
    if (watched != Site && watched != Mail)
        return QWidget::eventFilter(watched, e);
    auto* link = static_cast<QLabel*>(watched);
    const bool site = link == Site;
    switch (e->type()) {
    case QEvent::MouseMove:
        site ? SiteMouseMove() : MailMouseMove();
        break;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton)
            m_pressedLink = link;
        site ? SiteMouseDown() : MailMouseDown();
        break;
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(e);
        // A click is a left press and release on the same link.
        if (me->button() == Qt::LeftButton) {
            const bool clicked =
                m_pressedLink == link && link->rect().contains(me->position().toPoint());
            m_pressedLink = nullptr;
            if (clicked)
                site ? SiteClick() : MailClick();
        }
        site ? SiteMouseUp() : MailMouseUp();
        break;
    }
    case QEvent::Leave:
        site ? SiteMouseLeave() : MailMouseLeave();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, e);
}

void TAboutQarn::showEvent(QShowEvent* e) {
    // Centred on the screen the first time it opens; later it stays where the user left it.
    if (!m_placed) {
        m_placed = true;
        if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
            move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    QWidget::showEvent(e);
}

// Rebuilt on every opening, so the box always speaks the language in effect now.
void TFormOfQarn::About1Click() {
    // Created at start-up with the other windows; only a bare test runs without it.
    if (!AboutQarn)
        return;
    const bool english = GetLanguage();
    AboutQarn->FirstStrings->clear();
    AboutQarn->Memo2->clear();
    AboutQarn->FirstStrings->appendPlainText(kNotice.pick(english));
    AboutQarn->OffSite->setText(kSiteHeading.pick(english));
    AboutQarn->OffSite->adjustSize();
    AboutQarn->Memo2->appendPlainText(kThanks.pick(english));
    // Appending scrolls to the end; the notice is read from its start.
    AboutQarn->FirstStrings->moveCursor(QTextCursor::Start);
    AboutQarn->Memo2->moveCursor(QTextCursor::Start);

    // Not modal: the player stays usable while the box is open.
    AboutQarn->setWindowState(AboutQarn->windowState() & ~Qt::WindowMinimized);
    AboutQarn->show();
    AboutQarn->raise();
    AboutQarn->activateWindow();
    AboutQarn->OKHideIt->setFocus();
}
