// Kestrel: the person and fingerprint database program.
#include <QApplication>

#include "app/KestrelProgram.h"
#include "app/Lumo_TLB.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    lumo::win::SingleInstanceLock lock(lumo::app::kInstanceLockName);
    if (lumo::app::refuseSecondCopy(lock)) return 1;
    return lumo::app::runKestrel(app, [] { return std::make_unique<lumo::app::TLumoMain>(); });
}
