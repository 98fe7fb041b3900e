// Small controls the main window needs that Qt has no exact match for.
#pragma once

#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <QWidget>

class QToolButton;

namespace qarn {

// A picture that sizes itself to its image, is transparent where the image is, and reports
// clicks and mouse moves.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);
    void setPicture(const QPixmap& picture);
    QPixmap picture() const { return m_picture; }

signals:
    void clicked();
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    QPixmap m_picture;
    bool m_pressed = false;
};

// Horizontal up-down arrows with their own counter (no wrapping). Reports a step only when
// the counter actually changed, as the arrows do at their limits.
class UpDownArrows : public QWidget {
    Q_OBJECT
public:
    enum Button { btNext, btPrev };

    explicit UpDownArrows(QWidget* parent = nullptr);
    int position() const { return m_position; }
    void setPosition(int p);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setRange(int min, int max);
    QToolButton* nextButton() const { return m_next; }
    QToolButton* prevButton() const { return m_prev; }

signals:
    void clicked(qarn::UpDownArrows::Button button);

private:
    void step(int delta);
    QToolButton* m_prev;
    QToolButton* m_next;
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
};

// A folder list: the current folder's path from the root, one folder a line, then its
// sub-folders. Double click or Enter enters a folder; a single click only highlights.
class DirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirectoryListBox(QWidget* parent = nullptr);
    QString directory() const { return m_directory; }
    void setDirectory(const QString& path);
    // The folder of the highlighted line (the current folder when nothing is highlighted).
    QString highlightedDirectory() const;

signals:
    void directoryChanged(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void enterItem(QListWidgetItem* item);
    QString m_directory;
};

} // namespace qarn
