// What the import command does between two showings of the main dialog: a
// new location filter of the kind the user picks (a boundary, a window, a
// polygon by points, a Buffer Zone, a postcode, a road name, batch
// boundaries, a road-network buffer or a file of tile names), or the
// display of the selected filters.
#pragma once

class OSGMLInputDialog;
class AskPostcode;
class CAskRoadName;
class AskAreaFilterTypeView;

// Asks for the kind, then for what that kind needs, and adds the area(s) to
// the view's location filter; a cancelled step adds nothing. The dialogs are
// the command's, so that they offer their last values again.
void AddLocationFilter(OSGMLInputDialog& view, AskPostcode& postcode, CAskRoadName& roadName,
                       AskAreaFilterTypeView& kindDialog);

// Zooms to the filters and draws the outline of each selected one in a
// colour of its own (its number, from 1; colour 1 past 255) until the user
// clicks OK.
void ShowLocationFilters(OSGMLInputDialog& view);
