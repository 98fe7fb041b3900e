// The About box: the rights notice, the author's e-mail and web site links, and a line of thanks.
#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QUrl;

class TAboutQarn : public QWidget {
    Q_OBJECT
public:
    explicit TAboutQarn(QWidget* parent = nullptr);

    QPlainTextEdit* FirstStrings = nullptr;
    QLabel* Mail = nullptr;
    QLabel* OffSite = nullptr;
    QLabel* Site = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPushButton* OKHideIt = nullptr;

    // Link captions; never translated.
    static QString mailAddress();
    static QString siteAddress();

    void OKHideItClick();
    void SiteClick();
    void MailClick();
    void SiteMouseMove();
    void SiteMouseDown();
    void SiteMouseUp();
    void SiteMouseLeave();
    void MailMouseMove();
    void MailMouseDown();
    void MailMouseUp();
    void MailMouseLeave();

    // Links go to the desktop's default handler; tests put a recorder here so nothing is
    // launched. An empty function restores the default.
    using UrlOpener = std::function<void(const QUrl&)>;
    static void setUrlOpener(UrlOpener opener);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    QLabel* m_pressedLink = nullptr;
    bool m_placed = false;
};
