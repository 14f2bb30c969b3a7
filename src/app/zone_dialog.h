// "Choose Place or Time Zone": a place from the atlas, or a zone from the database's list, found
// by one search field (places first).
#pragma once

#include <wx/window.h>

#include <string>

#include "places/places.h"

// The places file beside the program, read once; null when it cannot be used (the chooser then
// says why and offers the zones alone).
const tarvella::places::Atlas* PlacesAtlas();

// The zone's name or the place's reference (ZonePick::Reference) picked, or empty when the user
// cancelled. Opens with `current` selected.
std::string ChooseZone(wxWindow* parent, const std::string& current);
