// "Choose Time Zone": a zone picked from the database's list by its name, place or country.
#pragma once

#include <wx/window.h>

#include <string>

// The name of the zone picked, or empty when the user cancelled. Opens with `current` selected.
std::string ChooseZone(wxWindow* parent, const std::string& current);
