#pragma once

#include "platform/DeviceCatalogue.h"

namespace roteka {

// The serial devices Windows knows: the present devices of the Ports class by their friendly
// names, which end in "(COM<n>)"; then the COM ports of the system's serial device map that no
// such device names (virtual port drivers outside the Ports class), each as
// "<device> (COM<n>)". Sorted by number; names without a COM number are left out.
class WinDeviceCatalogue : public DeviceCatalogue {
public:
    QStringList serialDeviceNames() override;
};

} // namespace roteka
