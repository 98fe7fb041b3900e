// One libmpv player core driven from the UI thread, with synchronous load, seek and pause.
#pragma once

#include "playback/MidiStream.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

struct mpv_handle;
struct mpv_event;

namespace qarn::playback {

class MpvEngine : public QObject {
    Q_OBJECT
public:
    // Creates and starts the core; isValid() tells whether that worked.
    MpvEngine(bool nullOutputs, QObject* parent = nullptr);
    ~MpvEngine() override;

    bool isValid() const { return m_mpv != nullptr; }
    MidiProtocol& midi() { return m_midi; }

    // Replaces what is loaded by url (paused) and waits until it is loaded or failed.
    // Returns an empty text on success, else the reason.
    QString load(const QByteArray& url, const QByteArray& fileOptions, int timeoutMs);
    void unload();
    bool isLoaded() const { return m_loadedEntry != 0; }

    void setOption(const char* name, const QByteArray& value);
    void setPaused(bool paused);
    // Seeks exactly and waits until playback has restarted there.
    void seek(double seconds);

    double timePos() const; // seconds, 0 when unknown
    // As last reported by the core (events are drained on the UI thread).
    double duration() const { return isLoaded() ? m_duration : 0; } // seconds, 0 when unknown
    bool eofReached() const { return isLoaded() && m_eof; }

private:
    static void wakeup(void* self);
    void drain();
    void handle(const mpv_event& event);
    bool waitFor(const std::function<bool()>& done, int timeoutMs);
    void terminate();
    void refreshEof();

    MidiProtocol m_midi; // declared first: streams may still run until the core is destroyed
    mpv_handle* m_mpv = nullptr;
    std::atomic<bool> m_drainPosted{false};
    qint64 m_loadingEntry = 0;
    qint64 m_loadedEntry = 0;
    qint64 m_startedEntry = 0;
    int m_loadError = 0;
    bool m_loadDone = false;
    bool m_seekStarted = false;
    bool m_seekDone = false;
    bool m_eof = false;
    double m_duration = 0;
};

} // namespace qarn::playback
