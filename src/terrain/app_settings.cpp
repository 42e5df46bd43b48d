#include "terrain/app_settings.h"

display_settings display;
texture_settings textures;
program_settings program;
