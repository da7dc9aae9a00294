#include "platform/os_version.h"

TOsVersion CurrentOsVersion() { return {}; }
