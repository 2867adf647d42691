#include "app/web_addresses.h"

namespace rowbit {

WebAddresses builtInAddresses() {
    return {ROWBIT_VERSION_URL, ROWBIT_DOWNLOAD_URL, ROWBIT_HOME_URL, ROWBIT_COMMUNITY_URL};
}

} // namespace rowbit
