#pragma once

class UserChannels;

// The about message: the program's name, author, rights and date in an
// information box titled "关于". Returns when the box is closed.
void ShowAbout(UserChannels &channels);
