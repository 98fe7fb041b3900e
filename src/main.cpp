// Qarn player.
#include "app/Instance.h"

int main(int argc, char** argv) {
    return qarn::runPlayer(argc, argv);
}
