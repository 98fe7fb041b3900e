// Picture boxes, up-down arrows and the folder list of the main window.
#include "mainwindow/Controls.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>

namespace qarn {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
}

void PictureBox::setPicture(const QPixmap& picture) {
    m_picture = picture;
    if (!picture.isNull())
        resize(picture.deviceIndependentSize().toSize());
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (m_picture.isNull())
        return;
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

void PictureBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        m_pressed = true;
        e->accept();
        return;
    }
    QWidget::mousePressEvent(e);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        if (rect().contains(e->position().toPoint()))
            emit clicked();
        e->accept();
        return;
    }
    QWidget::mouseReleaseEvent(e);
}

void PictureBox::mouseMoveEvent(QMouseEvent* e) {
    emit mouseMoved();
    QWidget::mouseMoveEvent(e);
}

UpDownArrows::UpDownArrows(QWidget* parent) : QWidget(parent) {
    m_prev = new QToolButton(this);
    m_next = new QToolButton(this);
    m_prev->setArrowType(Qt::LeftArrow);
    m_next->setArrowType(Qt::RightArrow);
    for (QToolButton* b : {m_prev, m_next}) {
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
    }
    connect(m_prev, &QToolButton::clicked, this, [this] { step(-1); });
    connect(m_next, &QToolButton::clicked, this, [this] { step(+1); });
}

void UpDownArrows::setRange(int min, int max) {
    m_min = min;
    m_max = qMax(min, max);
    m_position = qBound(m_min, m_position, m_max);
}

void UpDownArrows::setPosition(int p) {
    m_position = qBound(m_min, p, m_max);
}

void UpDownArrows::step(int delta) {
    const int next = qBound(m_min, m_position + delta, m_max);
    if (next == m_position)
        return;
    m_position = next;
    emit clicked(delta > 0 ? btNext : btPrev);
}

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this, &DirectoryListBox::enterItem);
}

void DirectoryListBox::setDirectory(const QString& path) {
    const QDir dir(path);
    if (!dir.exists())
        return;
    m_directory = QDir::cleanPath(dir.absolutePath());
    clear();
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    // The path from the root down to the current folder, each level indented one step.
    const QStringList parts = m_directory.split('/', Qt::SkipEmptyParts);
    QString walked;
    auto addLine = [&](const QString& text, const QString& fullPath, int level, bool open) {
        auto* item =
            new QListWidgetItem(open ? openIcon : closedIcon, QString(level * 2, ' ') + text, this);
        item->setData(Qt::UserRole, fullPath);
    };
    addLine(QStringLiteral("/"), QStringLiteral("/"), 0, true);
    for (int i = 0; i < parts.size(); ++i) {
        walked += '/' + parts[i];
        addLine(parts[i], walked, i + 1, true);
    }
    const QStringList subs = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    const QString base = m_directory == "/" ? QString() : m_directory;
    for (const QString& sub : subs)
        addLine(sub, base + '/' + sub, int(parts.size()) + 1, false);
    setCurrentRow(int(parts.size()));
    emit directoryChanged(m_directory);
}

QString DirectoryListBox::highlightedDirectory() const {
    const QListWidgetItem* item = currentItem();
    return item ? item->data(Qt::UserRole).toString() : m_directory;
}

void DirectoryListBox::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentItem()) {
        enterItem(currentItem());
        return;
    }
    QListWidget::keyPressEvent(e);
}

void DirectoryListBox::enterItem(QListWidgetItem* item) {
    if (!item)
        return;
    // Rebuilding deletes the item whose signal is being delivered; do it afterwards.
    const QString path = item->data(Qt::UserRole).toString();
    QMetaObject::invokeMethod(
        this, [this, path] { setDirectory(path); }, Qt::QueuedConnection);
}

} // namespace qarn
