// Stand-in until the settings store lands; delete with tests/render/settings_fake.cpp.
#include "../render/settings_fake.cpp"
