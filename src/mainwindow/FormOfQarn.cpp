// The main window's controls, menu, components and the wiring of their events.
#include "mainwindow/FormOfQarn.h"

#include "app/ErrorBox.h"
#include "mainwindow/Pictures.h"
#include "platform/CommandChannel.h"
#include "platform/SystemVolume.h"
#include "playback/MediaDevice.h"
#include "playlist/PlaylistModel.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

namespace {

// Colours are stored the system's way: red in the low byte, blue in the high byte.
QColor storedColour(quint32 value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

constexpr quint32 kFormColour = 14869218;
constexpr quint32 kLabel1Colour = 10986650;
constexpr quint32 kPlayListText = 2631720;
constexpr quint32 kDirListText = 2960685;
constexpr quint32 kButton1Text = 2302755;

void setColours(QWidget* w, const QColor& background, const QColor& text = QColor()) {
    QPalette pal = w->palette();
    if (background.isValid()) {
        pal.setColor(QPalette::Window, background);
        pal.setColor(QPalette::Base, background);
        pal.setColor(QPalette::Button, background);
        w->setAutoFillBackground(true);
    }
    if (text.isValid()) {
        pal.setColor(QPalette::WindowText, text);
        pal.setColor(QPalette::Text, text);
        pal.setColor(QPalette::ButtonText, text);
    }
    w->setPalette(pal);
}

// Rows of a fixed height, so a list of any length lays out in constant time.
class FixedRowDelegate : public QStyledItemDelegate {
public:
    FixedRowDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), m_height(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), m_height};
    }

private:
    int m_height;
};

const char* const kShortcutProperty = "qarnShortcut";
const char* const kShownShortcutProperty = "qarnShownShortcut";

} // namespace

TFormOfQarn::TFormOfQarn(QWidget* parent, bool runFormCreate) : QWidget(parent) {
    chooseFilesToOpen = [this] {
        return OpenD()->exec() == QDialog::Accepted ? OpenD()->selectedFiles() : QStringList();
    };
    chooseFileToSave = [this] {
        return SaveDialog1()->exec() == QDialog::Accepted &&
                       !SaveDialog1()->selectedFiles().isEmpty()
                   ? SaveDialog1()->selectedFiles().first()
                   : QString();
    };
    setObjectName("FormOfQarn");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Starting.........."));
    setWindowIcon(qarn::programIcon());
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    setColours(this, storedColour(kFormColour));
    move(329, 111);
    resize(355, 310);

    createControls();
    createMenu();
    createComponents();
    assignShortcuts();
    bindHandlers();
    autoSizeToContents();
    if (runFormCreate)
        FormCreate();
}

TFormOfQarn::~TFormOfQarn() = default;

void TFormOfQarn::createControls() {
    auto place = [](QWidget* w, const char* name, int l, int t, int wd, int h) {
        w->setObjectName(name);
        w->setGeometry(l, t, wd, h);
    };
    auto picture = [&](QWidget* parent, const char* name, qarn::Picture pic, int l, int t,
                       const char* hint) {
        auto* p = new qarn::PictureBox(parent);
        place(p, name, l, t, 0, 0);
        p->setPicture(qarn::builtinPicture(pic));
        p->setToolTip(QString::fromUtf8(hint));
        return p;
    };

    Panel1 = new QFrame(this);
    place(Panel1, "Panel1", 0, 0, 347, 281);
    Panel1->setFrameShape(QFrame::NoFrame);
    setColours(Panel1, storedColour(kFormColour));

    Panel2 = new QFrame(Panel1);
    place(Panel2, "Panel2", 0, 0, 201, 129);
    Panel2->setFrameShape(QFrame::NoFrame);

    Play = picture(Panel2, "Play", qarn::Picture::Play, 9, 0, "Play file");
    Pause = picture(Panel2, "Pause", qarn::Picture::Pause, 9, 0, "Stop playing file");
    Pause->hide();
    Stop = picture(Panel2, "Stop", qarn::Picture::Stop, 35, 0, "Stop playing");
    CdEject = picture(Panel2, "CdEject", qarn::Picture::CdEject, 64, 0, "CD eject/close");
    Eject = picture(Panel2, "Eject", qarn::Picture::Eject, 96, 0, "Select file to play");

    Tracks = new qarn::UpDownArrows(Panel2);
    place(Tracks, "Tracks", 153, 0, 24, 24);
    Tracks->prevButton()->setGeometry(0, 0, 12, 24);
    Tracks->nextButton()->setGeometry(12, 0, 12, 24);
    Tracks->setToolTip(QStringLiteral("Select track on CD or in playlist"));

    Exity = new QToolButton(Panel2);
    place(Exity, "Exity", 177, 0, 24, 24);
    Exity->setIcon(QIcon(qarn::builtinPicture(qarn::Picture::Exity)));
    Exity->setIconSize(QSize(16, 16));
    Exity->setToolTip(QStringLiteral("Exit"));

    TrackBar1 = new QSlider(Qt::Horizontal, Panel2);
    place(TrackBar1, "TrackBar1", 0, 27, 129, 29);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(1);
    TrackBar1->setRange(0, 10);
    TrackBar1->setValue(0);
    // Stored but never shown as a tooltip.
    TrackBar1->setProperty("hint", QStringLiteral("Position"));

    Label1 = new QLabel(Panel2);
    place(Label1, "Label1", 136, 26, 3, 13);
    Label1->setCursor(Qt::PointingHandCursor);
    setColours(Label1, storedColour(kLabel1Colour), Qt::red);

    Image1 = picture(Panel2, "Image1", qarn::Picture::Image1, 152, 24, "Transparent");
    RepeatT = picture(Panel2, "RepeatT", qarn::Picture::RepeatT, 152, 36, "Turn repeat off");
    RepeatF = picture(Panel2, "RepeatF", qarn::Picture::RepeatF, 152, 36, "Turn repeat on");
    VolumeT = picture(Panel2, "VolumeT", qarn::Picture::VolumeT, 161, 41, "Transparent");
    Minimity = picture(Panel2, "Minimity", qarn::Picture::Minimity, 129, 41, "Transparent");
    Minimity->setCursor(Qt::PointingHandCursor);

    PlayList = new QListView(Panel2);
    place(PlayList, "PlayList", 0, 58, 201, 69);
    PlayList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    PlayList->setUniformItemSizes(true);
    PlayList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PlayList->setItemDelegate(new FixedRowDelegate(13, PlayList));
    Playlist = new qarn::PlaylistModel(this);
    PlayList->setModel(Playlist);
    setColours(PlayList, QColor(200, 200, 200), storedColour(kPlayListText));

    Panel3 = new QFrame(Panel1);
    place(Panel3, "Panel3", 200, 0, 147, 139);
    Panel3->setFrameShape(QFrame::Panel);
    Panel3->setFrameShadow(QFrame::Raised);
    Panel3->hide();
    Label2 = new QLabel(QStringLiteral("Select theme"), Panel3);
    place(Label2, "Label2", 41, 1, 62, 13);
    Label2->adjustSize();
    DirectoryListBox1 = new qarn::DirectoryListBox(Panel3);
    place(DirectoryListBox1, "DirectoryListBox1", 1, 15, 145, 97);
    DirectoryListBox1->setItemDelegate(new FixedRowDelegate(16, DirectoryListBox1));
    setColours(DirectoryListBox1, QColor(227, 227, 227), storedColour(kDirListText));
    Button1 = new QPushButton(QStringLiteral("Ok"), Panel3);
    place(Button1, "Button1", 35, 113, 75, 25);
    setColours(Button1, QColor(), storedColour(kButton1Text));

    TrackBar2 = new QSlider(Qt::Vertical, Panel1);
    place(TrackBar2, "TrackBar2", 176, 0, 25, 65);
    TrackBar2->setRange(15, 255);
    TrackBar2->setValue(255);
    TrackBar2->setTickPosition(QSlider::NoTicks);
    TrackBar2->setCursor(Qt::SplitVCursor);
    TrackBar2->hide();

    TrackBar3 = new QSlider(Qt::Horizontal, Panel1);
    place(TrackBar3, "TrackBar3", 176, 0, 73, 25);
    TrackBar3->setRange(0, 65535);
    TrackBar3->setValue(100);
    TrackBar3->setTickPosition(QSlider::NoTicks);
    TrackBar3->setCursor(Qt::SplitHCursor);
    TrackBar3->hide();

    GroupBox1 = new QGroupBox(QStringLiteral("Help"), Panel1);
    place(GroupBox1, "GroupBox1", 0, 128, 201, 153);
    setColours(GroupBox1, Qt::white);
    GroupBox1->hide();
    HelpText = new QPlainTextEdit(QStringLiteral("Memo1"), GroupBox1);
    place(HelpText, "HelpText", 0, 16, 201, 105);
    HelpText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Button2 = new QPushButton(QStringLiteral("Ok"), GroupBox1);
    place(Button2, "Button2", 64, 120, 75, 25);

    for (QObject* child : Panel1->children())
        if (child->isWidgetType())
            child->installEventFilter(this);
    for (QWidget* w :
         {static_cast<QWidget*>(Panel2), static_cast<QWidget*>(Label1), PlayList->viewport(),
          static_cast<QWidget*>(Panel3), static_cast<QWidget*>(GroupBox1)})
        w->installEventFilter(this);
}

void TFormOfQarn::createMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    auto item = [](QMenu* menu, const char* name, const char* caption, const QKeySequence& key = {},
                   bool toggle = false) {
        QAction* a = menu->addAction(QString());
        a->setObjectName(name);
        a->setCheckable(toggle);
        if (!key.isEmpty())
            a->setProperty(kShortcutProperty, key);
        setMenuCaption(a, QString::fromUtf8(caption));
        return a;
    };
    auto submenu = [](QMenu* menu, const char* name, const char* caption) {
        QMenu* m = menu->addMenu(QString::fromUtf8(caption));
        m->setObjectName(name);
        m->menuAction()->setObjectName(QString::fromUtf8(name) + "Item");
        return m;
    };

    Open1 = item(PopupMenu1, "Open1", "&Open", QKeySequence(Qt::CTRL | Qt::Key_O));
    Play1 = item(PopupMenu1, "Play1", "&Play", QKeySequence(Qt::CTRL | Qt::Key_P));
    Stop1 = item(PopupMenu1, "Stop1", "S&top", QKeySequence(Qt::CTRL | Qt::Key_T));
    Playlists1 = submenu(PopupMenu1, "Playlists1", "Playlists");
    Nexttrack1 = item(Playlists1, "Nexttrack1", "&Next track");
    Lasttrack1 = item(Playlists1, "Lasttrack1", "&Last track");
    Randomplay1 = item(Playlists1, "Randomplay1", "Random &play", {}, true);
    N1 = Playlists1->addSeparator();
    N1->setObjectName("N1");
    Del1 = item(Playlists1, "Del1", "&Delete selected track", QKeySequence(Qt::CTRL | Qt::Key_D));
    Saveplaylist1 =
        item(Playlists1, "Saveplaylist1", "&Save playlist", QKeySequence(Qt::CTRL | Qt::Key_S));
    Clearcurretplaylis1 = item(Playlists1, "Clearcurretplaylis1", "C&lear curret playlist",
                               QKeySequence(Qt::CTRL | Qt::Key_O));
    Saveplaylistonexit1 =
        item(Playlists1, "Saveplaylistonexit1", "&Save playlist on exit", {}, true);
    settings1 = submenu(PopupMenu1, "settings1", "&Settings");
    Repeat = item(settings1, "Repeat", "&Repeat", QKeySequence(Qt::CTRL | Qt::Key_R), true);
    Style1 = submenu(settings1, "Style1", "S&tyle");
    Border1 = submenu(Style1, "Border1", "&Border");
    None1 = item(Border1, "None1", "&None");
    Default1 = item(Border1, "Default1", "&Default");
    Transparent1 = item(Border1, "Transparent1", "&Transparent");
    Theme1 = submenu(Style1, "Theme1", "&Form");
    Alwaysontop1 = item(Theme1, "Alwaysontop1", "Always on &top");
    NormalForm = item(Theme1, "NormalForm", "&Normal");
    Themes1 = item(Style1, "Themes1", "&Themes");
    Playlist1 = item(Style1, "Playlist1", "Play&list", QKeySequence(Qt::CTRL | Qt::Key_L));
    Hideplaylistifinactive1 =
        item(Style1, "Hideplaylistifinactive1", "Hide playlist if inactive", {}, true);
    Language1 = submenu(settings1, "Language1", "&Language");
    English1 = item(Language1, "English1", "&English", {}, true);
    Russian1 = item(Language1, "Russian1", "&Русский", {}, true);
    auto* languages = new QActionGroup(this);
    languages->setExclusive(true);
    languages->addAction(English1);
    languages->addAction(Russian1);
    English1->setChecked(true);
    Visual1 = submenu(settings1, "Visual1", "&Visual effects");
    Showfilenameostartbutton1 =
        item(Visual1, "Showfilenameostartbutton1", "S&how filename on start button", {}, true);
    Help1 = submenu(PopupMenu1, "Help1", "&Help");
    NQarnplayerhelp1 =
        item(Help1, "NQarnplayerhelp1", "Qarn player &help", QKeySequence(Qt::Key_F1));
    About1 = item(Help1, "About1", "&About");
    Advanced1 = submenu(PopupMenu1, "Advanced1", "&Advanced");
    Shownotes1 = item(Advanced1, "Shownotes1", "Show &notes", QKeySequence(Qt::Key_F2));
    Showcalc1 = item(Advanced1, "Showcalc1", "Show &calc", QKeySequence(Qt::Key_F3));
    Showpicviewer1 =
        item(Advanced1, "Showpicviewer1", "Show &pic viewer", QKeySequence(Qt::Key_F4));
    Setuntrancparent1 =
        item(Advanced1, "Setuntrancparent1", "&Set untransparent", QKeySequence(Qt::Key_F5));
    Minimize1 = item(PopupMenu1, "Minimize1", "&Minimize", QKeySequence(Qt::CTRL | Qt::Key_M));
    Exit1 = item(PopupMenu1, "Exit1", "E&xit", QKeySequence(Qt::CTRL | Qt::Key_X));
}

// A key runs the first item that carries it in menu order (each item before its submenu's
// items); a later item with the same key only shows it.
void TFormOfQarn::assignShortcuts() {
    QList<QKeySequence> taken;
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            const QKeySequence key = a->property(kShortcutProperty).value<QKeySequence>();
            if (!key.isEmpty()) {
                if (taken.contains(key)) {
                    a->setProperty(kShownShortcutProperty, key);
                    setMenuCaption(a, a->text().section('\t', 0, 0));
                } else {
                    taken << key;
                    a->setShortcut(key);
                    // Shortcuts of a context menu work only once the window carries the item.
                    addAction(a);
                }
            }
            if (a->menu())
                walk(a->menu());
        }
    };
    walk(PopupMenu1);
}

void TFormOfQarn::setMenuCaption(QAction* item, const QString& caption) {
    const QKeySequence shown = item->property(kShownShortcutProperty).value<QKeySequence>();
    item->setText(shown.isEmpty() ? caption
                                  : caption + '\t' + shown.toString(QKeySequence::NativeText));
}

void TFormOfQarn::createComponents() {
    MediaPlayer1 = new MediaDevice(this);
    MediaPlayer1->setObjectName("MediaPlayer1");

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(100);
    Timer1->start();

    TrayIcon = new QSystemTrayIcon(qarn::programIcon(), this);
    TrayIcon->setObjectName("TrayIcon");
    TrayIcon->setContextMenu(PopupMenu1);
    // Looking up the tray host can take a while; the window comes first.
    QTimer::singleShot(0, TrayIcon, [this] {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            TrayIcon->show();
    });
}

namespace {

// File systems here tell case apart; SONG.MP3 must be offered as well as song.mp3.
QString filter(const QString& description, const QStringList& extensions) {
    QStringList patterns;
    for (const QString& e : extensions)
        patterns << "*." + e << "*." + e.toUpper();
    return description + " (" + patterns.join(' ') + ')';
}

} // namespace

QFileDialog* TFormOfQarn::OpenD() {
    if (!m_openDialog) {
        m_openDialog = new QFileDialog(this);
        m_openDialog->setObjectName("OpenD");
        m_openDialog->setFileMode(QFileDialog::ExistingFiles);
        m_openDialog->setAcceptMode(QFileDialog::AcceptOpen);
        m_openDialog->setNameFilters({
            filter("All formats", {"mp3", "wav", "wma", "mid", "avi", "mpeg", "wmv", "qpl", "wpl"}),
            filter("All sounds", {"mp3", "wav", "wma", "mid"}),
            filter("All video", {"avi", "mpeg", "wmv"}),
            filter("Playlists", {"qpl", "wpl"}),
            // The engine plays far more than the formats above.
            QStringLiteral("All files (*)"),
        });
    }
    return m_openDialog;
}

QFileDialog* TFormOfQarn::SaveDialog1() {
    if (!m_saveDialog) {
        m_saveDialog = new QFileDialog(this);
        m_saveDialog->setObjectName("SaveDialog1");
        m_saveDialog->setAcceptMode(QFileDialog::AcceptSave);
        m_saveDialog->setNameFilters({filter("Qarn playlist", {"qpl"})});
        m_saveDialog->setDefaultSuffix(QStringLiteral("qpl"));
    }
    return m_saveDialog;
}

const QStringList& TFormOfQarn::PathList() const {
    return Playlist->PathList();
}

int TFormOfQarn::CurrentIndex() const {
    return PlayList->currentIndex().row();
}

void TFormOfQarn::setCurrentIndex(int index) {
    if (index == CurrentIndex())
        return;
    const QModelIndex item = Playlist->index(index, 0);
    // The caret only: the selection is the user's.
    PlayList->selectionModel()->setCurrentIndex(item, QItemSelectionModel::NoUpdate);
    PlayList->scrollTo(item);
}

qarn::SystemVolume* TFormOfQarn::systemVolume() {
    if (!m_systemVolume)
        m_systemVolume = std::make_unique<qarn::SystemVolume>();
    return m_systemVolume.get();
}

void TFormOfQarn::bindHandlers() {
    using qarn::guarded;
    auto click = [this](QAction* a, void (TFormOfQarn::*handler)()) {
        connect(a, &QAction::triggered, this,
                [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    auto picture = [this](qarn::PictureBox* p, void (TFormOfQarn::*handler)()) {
        connect(p, &qarn::PictureBox::clicked, this,
                [this, handler] { guarded([&] { (this->*handler)(); }); });
    };

    picture(Play, &TFormOfQarn::PlayClick);
    picture(Pause, &TFormOfQarn::PlayClick);
    picture(Stop, &TFormOfQarn::StopClick);
    picture(CdEject, &TFormOfQarn::CdEjectClick);
    picture(Eject, &TFormOfQarn::EjectClick);
    picture(RepeatT, &TFormOfQarn::RepeatTClick);
    picture(RepeatF, &TFormOfQarn::RepeatFClick);
    picture(Minimity, &TFormOfQarn::Minimize1Click);
    connect(Image1, &qarn::PictureBox::mouseMoved, this,
            [this] { guarded([&] { Image1MouseMove(); }); });
    connect(VolumeT, &qarn::PictureBox::mouseMoved, this,
            [this] { guarded([&] { VolumeTMouseMove(); }); });
    connect(Tracks, &qarn::UpDownArrows::clicked, this,
            [this](qarn::UpDownArrows::Button b) { guarded([&] { TracksClick(b); }); });
    connect(Exity, &QToolButton::clicked, this, [this] { guarded([&] { ExityClick(); }); });
    connect(TrackBar1, &QSlider::valueChanged, this,
            [this] { guarded([&] { TrackBar1Change(); }); });
    connect(TrackBar2, &QSlider::valueChanged, this,
            [this] { guarded([&] { TrackBar2Change(); }); });
    connect(TrackBar3, &QSlider::valueChanged, this,
            [this] { guarded([&] { TrackBar3Change(); }); });
    connect(PlayList, &QListView::doubleClicked, this,
            [this] { guarded([&] { PlayListDblClick(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([&] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([&] { Button2Click(); }); });
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([&] { Timer1Timer(); }); });

    click(Open1, &TFormOfQarn::EjectClick);
    click(Play1, &TFormOfQarn::PlayClick);
    click(Stop1, &TFormOfQarn::Stop1Click);
    click(Nexttrack1, &TFormOfQarn::Nexttrack1Click);
    click(Lasttrack1, &TFormOfQarn::Lasttrack1Click);
    click(Randomplay1, &TFormOfQarn::Randomplay1Click);
    click(Del1, &TFormOfQarn::Del1Click);
    click(Saveplaylist1, &TFormOfQarn::Saveplaylist1Click);
    click(Clearcurretplaylis1, &TFormOfQarn::Clearcurretplaylis1Click);
    click(Saveplaylistonexit1, &TFormOfQarn::Saveplaylistonexit1Click);
    click(Repeat, &TFormOfQarn::RepeatClick);
    click(None1, &TFormOfQarn::None1Click);
    click(Default1, &TFormOfQarn::Default1Click);
    click(Transparent1, &TFormOfQarn::Transparent1Click);
    click(Alwaysontop1, &TFormOfQarn::Alwaysontop1Click);
    click(NormalForm, &TFormOfQarn::NormalFormClick);
    click(Themes1, &TFormOfQarn::Themes1Click);
    click(Playlist1, &TFormOfQarn::Playlist1Click);
    click(Hideplaylistifinactive1, &TFormOfQarn::Hideplaylistifinactive1Click);
    click(English1, &TFormOfQarn::English1Click);
    click(Russian1, &TFormOfQarn::Russian1Click);
    click(Showfilenameostartbutton1, &TFormOfQarn::Showfilenameostartbutton1Click);
    click(NQarnplayerhelp1, &TFormOfQarn::NQarnplayerhelp1Click);
    click(About1, &TFormOfQarn::About1Click);
    click(Shownotes1, &TFormOfQarn::Shownotes1Click);
    click(Showcalc1, &TFormOfQarn::Showcalc1Click);
    click(Showpicviewer1, &TFormOfQarn::Showpicviewer1Click);
    click(Setuntrancparent1, &TFormOfQarn::Setuntrancparent1Click);
    click(Minimize1, &TFormOfQarn::Minimize1Click);
    click(Exit1, &TFormOfQarn::Exit1Click);

    connect(TrayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                guarded([&] {
                    if (reason == QSystemTrayIcon::Trigger)
                        PlayClick();
                    else if (reason == QSystemTrayIcon::DoubleClick) {
                        showNormal();
                        activateWindow();
                        raise();
                    }
                });
            });
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                guarded([&] {
                    if (state == Qt::ApplicationActive)
                        ApplicationEvents1Activate();
                    else if (state == Qt::ApplicationInactive)
                        ApplicationEvents1Deactivate();
                });
            });
}

void TFormOfQarn::autoSizeToContents() {
    QRect box;
    for (QObject* child : Panel1->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && !w->isHidden())
            box |= w->geometry();
    }
    const QSize size(qMax(1, box.right() + 1), qMax(1, box.bottom() + 1));
    Panel1->resize(size);
    setFixedSize(size);
}

bool TFormOfQarn::listenForCommands(const QString& socketPath) {
    if (!m_channel)
        m_channel = new qarn::CommandChannelServer(
            [this](const QString& text) { qarn::guarded([&] { OnWM_COPYDATA(text); }); }, this);
    return m_channel->listen(socketPath);
}

bool TFormOfQarn::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
    case QEvent::Move:
    case QEvent::Resize:
        if (watched->parent() == Panel1)
            autoSizeToContents();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        if (watched == Panel2 || watched == Label1 || watched == PlayList->viewport() ||
            watched == Panel3 || watched == GroupBox1) {
            auto* me = static_cast<QMouseEvent*>(e);
            auto* w = static_cast<QWidget*>(watched);
            if (e->type() == QEvent::MouseButtonPress) {
                qarn::guarded([&] { Panel2MouseDown(w, me); });
            } else if (m_dragSource == w) {
                if (e->type() == QEvent::MouseMove)
                    move(me->globalPosition().toPoint() - m_dragOffset);
                else
                    m_dragSource = nullptr;
                return true;
            }
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, e);
}

void TFormOfQarn::Panel2MouseDown(QWidget* sender, QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    // In the playlist only its empty part moves the window; rows are for selecting.
    if (sender == PlayList->viewport() && PlayList->indexAt(event->position().toPoint()).isValid())
        return;
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    // No window manager to hand the move to: follow the mouse ourselves.
    m_dragSource = sender;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TFormOfQarn::contextMenuEvent(QContextMenuEvent* e) {
    PopupMenu1->popup(e->globalPos());
    e->accept();
}

void TFormOfQarn::changeEvent(QEvent* e) {
    if (e->type() == QEvent::WindowStateChange) {
        const auto* sc = static_cast<QWindowStateChangeEvent*>(e);
        const bool wasMin = sc->oldState() & Qt::WindowMinimized;
        const bool isMin = windowState() & Qt::WindowMinimized;
        if (isMin && !wasMin)
            qarn::guarded([&] { ApplicationEvents1Minimize(); });
        else if (!isMin && wasMin)
            qarn::guarded([&] { ApplicationEvents1Restore(); });
    }
    QWidget::changeEvent(e);
}

void TFormOfQarn::closeEvent(QCloseEvent* e) {
    if (!m_closing) {
        m_closing = true;
        // A second copy started from now on finds nobody, rather than a player that is going.
        if (m_channel)
            m_channel->close();
        qarn::guarded([&] { FormClose(); });
    }
    e->accept();
    // Closing the main window ends the program, whatever accessory windows are open.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TFormOfQarn::ExityClick() {
    close();
}

void TFormOfQarn::Exit1Click() {
    IsPlaying = false;
    close();
}
