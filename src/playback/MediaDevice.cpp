// The media device: keeps the settings until the engine is needed, then hands everything to it.
#include "playback/MediaDevice.h"

#include <QCoreApplication>
#include <QLibrary>

namespace {

const char kNotOpen[] = "No MCI device open";
bool s_nullOutputs = false;

QLibrary* mediaModule() {
    static QLibrary* module = [] {
        // Beside the executable in the program folder; the build's copy for tests.
        auto* lib = new QLibrary(QCoreApplication::applicationDirPath() + "/libqarn-media.so");
        if (!lib->load()) {
#ifdef QARN_MEDIA_MODULE
            lib->setFileName(QStringLiteral(QARN_MEDIA_MODULE));
            lib->load();
#endif
        }
        return lib;
    }();
    return module;
}

} // namespace

QarnCreateMediaBackend MediaDevice::moduleEntry(const char* name) {
    QLibrary* module = mediaModule();
    auto entry = reinterpret_cast<QarnCreateMediaBackend>(module->resolve(name));
    if (!entry)
        throw EMCIDeviceError(QStringLiteral("The media engine cannot be loaded: %1")
                                  .arg(module->errorString())
                                  .toStdString());
    return entry;
}

MediaDevice::MediaDevice(QObject* parent) : QObject(parent) {}

MediaDevice::~MediaDevice() = default;

void MediaDevice::setNullOutputs(bool on) {
    s_nullOutputs = on;
}

qarn::playback::MediaBackend& MediaDevice::backend() {
    if (!m_backend) {
        m_backend.reset(moduleEntry(kQarnCreateMediaBackend)(s_nullOutputs));
        m_backend->setDeviceType(m_deviceType);
        m_backend->setFileName(m_fileName);
        m_backend->setCdDevice(m_cdDevice);
        if (m_startPos)
            m_backend->setStartPos(*m_startPos);
    }
    return *m_backend;
}

void MediaDevice::setDeviceType(TMPDeviceTypes type) {
    m_deviceType = type;
    if (m_backend)
        m_backend->setDeviceType(type);
}

void MediaDevice::setFileName(const QString& fileName) {
    m_fileName = fileName;
    if (m_backend)
        m_backend->setFileName(fileName);
}

void MediaDevice::setCdDevice(const QString& pathOrEmpty) {
    m_cdDevice = pathOrEmpty;
    if (m_backend)
        m_backend->setCdDevice(pathOrEmpty);
}

void MediaDevice::setStartPos(qint64 position) {
    if (m_backend)
        m_backend->setStartPos(position);
    else
        m_startPos = position;
}

void MediaDevice::Open() {
    backend().Open();
}

void MediaDevice::Close() {
    if (m_backend)
        m_backend->Close();
}

bool MediaDevice::isOpen() const {
    return m_backend && m_backend->isOpen();
}

// Until the engine is loaded nothing can be open: refuse like a closed device.
#define QARN_FORWARD_OR_REFUSE(call)                                                               \
    if (!m_backend)                                                                                \
        throw EMCIDeviceError(kNotOpen);                                                           \
    return m_backend->call

void MediaDevice::Play() {
    QARN_FORWARD_OR_REFUSE(Play());
}
void MediaDevice::Pause() {
    QARN_FORWARD_OR_REFUSE(Pause());
}
void MediaDevice::Stop() {
    QARN_FORWARD_OR_REFUSE(Stop());
}
void MediaDevice::setPosition(qint64 position) {
    QARN_FORWARD_OR_REFUSE(setPosition(position));
}
qint64 MediaDevice::Length() const {
    QARN_FORWARD_OR_REFUSE(Length());
}
int MediaDevice::Tracks() const {
    QARN_FORWARD_OR_REFUSE(Tracks());
}

#undef QARN_FORWARD_OR_REFUSE

qint64 MediaDevice::Position() const {
    return m_backend ? m_backend->Position() : 0;
}

qint64 MediaDevice::TrackPosition(int n) const {
    return m_backend ? m_backend->TrackPosition(n) : 0;
}

MediaDevice::Mode MediaDevice::mode() const {
    return m_backend ? m_backend->mode() : Mode::NotOpen;
}
