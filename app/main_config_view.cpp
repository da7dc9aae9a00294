// The configuration view: the configuration box and the scene list.
#include "app/main.h"

void TFormMain::ShowSelectedConfig() {}
