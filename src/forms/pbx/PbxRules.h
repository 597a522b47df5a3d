// The decisions of the PBX windows, as plain functions that tests call without a window: the PBX types a firmware
// offers and how a stored type is shown, the integration mode a type brings and the ones it refuses, the presets
// (port extensions and dial strings D0-D9) of a type and mode, and the inband tone codes of a type.
// A type or signal outside these tables gets no preset and no code: callers then leave the values as they are.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TXmlNode;

namespace Pbx {

// The ten signals of "Inband Signaling", in their order on the device.
extern const std::array<const char*, 10> Signals;
// The integration modes, in the order of the mode list.
extern const std::array<const char*, 4> Modes;

// The drop-down names of the PBX type for a firmware (without its point, 409 for 4.09), made from the names of
// the newest list: types the firmware lacks are dropped and the long names it shows replace "TD1232". Below 4.09
// the device's list has seven types: the first seven names become that firmware's names, the rest are dropped.
std::vector<std::string> TypeNames(const std::vector<std::string>& Newest, int32_t Firmware);

// A stored type as the firmware shows it ("TD1232" has a long name from 3.08 on), and back.
std::string TypeText(const std::string& Stored, int32_t Firmware);
std::string TypeValue(const std::string& Shown);

// The mode a newly chosen type brings; empty for a type outside the table (the mode then stays).
std::string DefaultMode(const std::string& Type);
// Whether the type works in the mode; a pair outside the tables is allowed.
bool IsModeAllowed(const std::string& Mode, const std::string& Type);

// What a type and mode put into the window. Known false: the type is outside the table, nothing changes.
struct TPreset {
    bool Known = false;
    bool PortsEditable = false;
    int32_t PortBase = 0;   // port i (from 1) gets PortBase + i - 1; 0: the ports are emptied
    std::array<std::string, 10> Dials;
    // The extension of port Port (from 1), empty when the preset empties the ports.
    std::string PortExtension(int32_t Port) const;
};
TPreset PresetFor(const std::string& Type, const std::string& Mode);

// The tone code a type gives a signal; none for a type or signal outside the table.
std::optional<std::string> InbandCodeFor(const std::string& Type, const std::string& Signal);

// Writes the type's codes into the signals of an "Inband Signaling" data section. A value that changes is marked
// "Modify", and the section with it, so that storing the section sends it; a signal without a code keeps its value.
// Answers how many values changed.
int SetInbandCodes(TXmlNode* Section, const std::string& Type);

} // namespace Pbx
