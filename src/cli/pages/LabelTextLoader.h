#pragma once

#include <string>

// Label text for the tool's pictures: the engine a program installed (tests link it), or else
// the label text module (plimdisp-labeltext.so) loaded from beside the tool in the build tree
// or from its installed place relative to the tool, then installed. Qt is loaded only here, so
// commands that draw no labels never load it.

// Makes label text drawable. Safe from any thread; the module is loaded once. False, with
// `problem` set to the loader's reason, when no engine can be had.
bool LoadLabelText(std::string& problem);
