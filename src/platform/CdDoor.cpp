// The CD drive's door through libcdio.
#include "platform/CdDoor.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

namespace qarn {

SystemCdDoor::SystemCdDoor() {
    // libcdio reports every missing drive on stderr; only errors matter.
    cdio_loglevel_default = CDIO_LOG_ERROR;
}

// Results are ignored on purpose: a refused door command has no visible effect.
void SystemCdDoor::open() {
    cdio_eject_media_drive(nullptr);
}

void SystemCdDoor::close() {
    driver_id_t driver = DRIVER_DEVICE;
    cdio_close_tray(nullptr, &driver);
}

} // namespace qarn
