// Graphic lists to and from the graphics list (grlist/grlist.h), and graphics lists
// drawn onto tablets.
//
//   zgr_list records;
//   zgr_list_init(&records);
//   zfGraphicListAppend(&records, graphics);       // one record per exportable graphic
//   zcGraphicList back;
//   zfGraphicListAppend(back, &records);           // one graphic per record
//   zfUITabletDraw(tablet, &records, zcUITablet::eOverlay);
//   zgr_list_free(&records);
//
// Export, for each graphic in order, by the first of these kinds that it is: point
// icon (record 0), zcGraphicSimple<zcLineSeg> (1), <zcLine> (2, direction then point),
// zcGraphicWithFill<zcRect, zcGenRect> (3, corner then size), <zcGenRect, zcGenRect>
// (4), zcGraphicSimple<zcAffineRectangle> (8), <zcPolyline> (7), <zcLineSegSet> (10),
// zcGraphicText (9). Every other graphic, groups included, is left out; the color code
// is zfColor of the pen color, and nothing else of the properties goes (a fill is
// lost; an index color that is no stock color becomes RGB black, 0x00000080).
//
// Choices this module makes:
//  - A general rectangle goes as center(), halfSizes(), orient() and round(), which its
//    four-argument constructor takes back: a rectangle with orthogonal sides comes back
//    as the same point set; a sheared one (a mapped rectangle) comes back as the
//    rectangle with the lengths of its half sides, its x side's direction and its radii.
//  - A segment set imports with degenerate members allowed (the constructor's second
//    argument true), so every set exported comes back.
//  - A text goes up to its first zero character, as UTF-16 (characters above U+FFFF as
//    surrogate pairs); on import unpaired surrogates are kept as they are. Its font is
//    not exported, and an alignment other than 1 to 8 goes as 0.
//  - The list receives a clone of each graphic made (append(g, true)): an imported text
//    has no pixel offset, while zfUITabletDraw moves by the record's offset, so the two
//    paint alike for texts without one.
//  - A text at (0, 0) draws at the tablet's current drawing point (zcUITablet's
//    drawPointArg() is (0, 0)), by import and by zfUITabletDraw alike.
//
// Reading trusts nothing: before anything is appended or drawn, the whole list is
// checked against its used bytes (headers, payloads, counts, text terminators, as
// grlist/grlist.h lays them out). A list that fails raises zcMalformedData and appends
// or draws nothing. A record count below 1 reads as an empty list.
//
// Failures after that check keep what went before: a null list pointer or graphic
// handle raises zcBadPointer; a negative status of a graphics-list or shape-math
// operation raises what zfThrowExceptionOnFailure makes of it; a shape the record
// cannot make (a negative rectangle size, say) raises the shape's exception.
#pragma once

#include "dispc/export.h"
#include "dispc/uitablet.h"

#include "grlist/grlist.h"

class zcGraphic;
class zcGraphicList;

// Export: appends one record per exportable graphic of the list.
DISPC_API void zfGraphicListAppend(zgr_list* list, const zcGraphicList& graphics);
// Whether export writes a record for the graphic (false for what it leaves out).
DISPC_API bool zfGraphicListExportable(const zcGraphic& graphic);
// Import: appends one graphic per record (kinds above 10 as point icons).
DISPC_API void zfGraphicListAppend(zcGraphicList& graphics, const zgr_list* list);
// Draws every record onto the tablet, as the graphics import would make them draw.
DISPC_API void zfUITabletDraw(zcUITablet& tablet, const zgr_list* list, zcUITablet::Layers layer);
