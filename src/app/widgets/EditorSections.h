#pragma once

// Adds the parts of the contact editor's "更多" tab that come from the subsystems above the
// contacts: the card's other values and the QR code. Once per program; later calls do nothing.
namespace EditorSections {

void install();

} // namespace EditorSections
