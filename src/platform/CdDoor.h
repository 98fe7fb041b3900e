// The CD drive's door: opened and closed on the default drive; failures are not reported.
#pragma once

namespace qarn {

// The main window talks to this interface so its door handling can be exercised without a drive.
class CdDoor {
public:
    virtual ~CdDoor() = default;
    virtual void open() = 0;
    virtual void close() = 0;
};

// libcdio on the default drive. Without a drive or a tray motor nothing happens.
class SystemCdDoor : public CdDoor {
public:
    SystemCdDoor();
    void open() override;
    void close() override;
};

} // namespace qarn
