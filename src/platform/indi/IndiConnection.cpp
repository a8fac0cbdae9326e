#include "platform/indi/IndiConnection.h"

#include "platform/fits/FitsImage.h"

#include <libindi/basedevice.h>
#include <libindi/indipropertyblob.h>
#include <libindi/indipropertynumber.h>
#include <libindi/indipropertyswitch.h>
#include <libindi/indipropertytext.h>

#include <algorithm>
#include <cstring>

namespace nuvix::indi {

namespace {
constexpr const char* kPicture = "CCD1";  // the camera's main sensor; CCD2 is a guide head's

// A number element's value, or `otherwise` when the property has no such element.
double ValueOf(const INDI::PropertyNumber& property, const char* element, double otherwise)
{
    const auto* widget = property.findWidgetByName(element);
    return widget ? widget->getValue() : otherwise;
}

bool IsOn(const INDI::PropertySwitch& property, const char* element)
{
    const auto* widget = property.findWidgetByName(element);
    return widget != nullptr && widget->getState() == ISS_ON;
}

bool Is(const char* name, const char* wanted)
{
    return std::strcmp(name, wanted) == 0;
}
}  // namespace

IndiConnection::IndiConnection(LinkShared& shared) : shared_(shared)
{
    setVerbose(false);
}

IndiConnection::~IndiConnection()
{
    // Joins the reading thread, so no callback outlives the shared facts.
    if (isServerConnected()) disconnectServer();
}

bool IndiConnection::Open(const ServerAddress& address, int timeoutSeconds)
{
    setServer(address.host.c_str(), static_cast<unsigned>(address.port));
    setConnectionTimeout(static_cast<uint32_t>(timeoutSeconds), 0);
    return connectServer();
}

void IndiConnection::ConnectDevice(const std::string& device)
{
    INDI::PropertySwitch connection(2);
    connection.setDeviceName(device.c_str());
    connection.setName("CONNECTION");
    connection[0].fill("CONNECT", "", ISS_ON);
    connection[1].fill("DISCONNECT", "", ISS_OFF);
    sendNewSwitch(connection);
}

void IndiConnection::SendPulse(const std::string& device, Axis axis, const GuidePulse& pulse)
{
    const bool ra = axis == Axis::Ra;
    const bool first = pulse.direction == GuideDirection::West || pulse.direction == GuideDirection::North;
    const double ms = pulse.ms;
    SendNumbers(device, ra ? "TELESCOPE_TIMED_GUIDE_WE" : "TELESCOPE_TIMED_GUIDE_NS",
                {{ra ? "TIMED_GUIDE_W" : "TIMED_GUIDE_N", first ? ms : 0.0},
                 {ra ? "TIMED_GUIDE_E" : "TIMED_GUIDE_S", first ? 0.0 : ms}});
}

void IndiConnection::ReceivePictures(const std::string& device)
{
    setBLOBMode(B_ALSO, device.c_str(), kPicture);
}

void IndiConnection::SendNumbers(const std::string& device, const char* name,
                                 std::initializer_list<std::pair<const char*, double>> values)
{
    INDI::PropertyNumber property(values.size());
    property.setDeviceName(device.c_str());
    property.setName(name);
    size_t i = 0;
    for (const auto& [element, value] : values)
        property[i++].fill(element, "", "%g", 0, 0, 0, value);
    sendNewNumber(property);
}

void IndiConnection::SwitchOn(const std::string& device, const char* name, const char* element)
{
    INDI::PropertySwitch property(1);
    property.setDeviceName(device.c_str());
    property.setName(name);
    property[0].fill(element, "", ISS_ON);
    sendNewSwitch(property);
}

void IndiConnection::Changed()
{
    shared_.changed = true;
    shared_.wake.notify_all();
}

void IndiConnection::newDevice(INDI::BaseDevice device)
{
    const std::lock_guard lock(shared_.mutex);
    shared_.devices.Find(device.getDeviceName());
    Changed();
}

void IndiConnection::removeDevice(INDI::BaseDevice device)
{
    const std::lock_guard lock(shared_.mutex);
    shared_.devices.Remove(device.getDeviceName());
    Changed();
}

void IndiConnection::newProperty(INDI::Property property)
{
    Note(property, true);
}

void IndiConnection::updateProperty(INDI::Property property)
{
    if (property.getType() == INDI_BLOB) {
        TakePicture(property);
    } else {
        Note(property, true);
    }
}

void IndiConnection::removeProperty(INDI::Property property)
{
    Note(property, false);
}

void IndiConnection::serverDisconnected(int exitCode)
{
    (void)exitCode;
    const std::lock_guard lock(shared_.mutex);
    shared_.serverLost = true;
    Changed();
}

void IndiConnection::Note(INDI::Property property, bool defined)
{
    const char* device = property.getDeviceName();
    const char* name = property.getName();
    if (device == nullptr || name == nullptr) return;
    const std::lock_guard lock(shared_.mutex);
    DeviceFacts& facts = shared_.devices.Find(device);
    if (Is(name, "TELESCOPE_TIMED_GUIDE_WE")) {
        facts.guideWe = defined;
    } else if (Is(name, "TELESCOPE_TIMED_GUIDE_NS")) {
        facts.guideNs = defined;
    } else if (Is(name, "DRIVER_INFO") && property.getType() == INDI_TEXT && defined) {
        const INDI::PropertyText info(property);
        if (const auto* bits = info.findWidgetByName("DRIVER_INTERFACE")) {
            facts.interfaces = ParseInterfaces(bits->getText() ? bits->getText() : "");
        }
    } else if (Is(name, "CONNECTION") && property.getType() == INDI_SWITCH) {
        const INDI::PropertySwitch connection(property);
        const auto* on = connection.findWidgetByName("CONNECT");
        facts.connected = defined && on != nullptr && on->getState() == ISS_ON;
    } else if (!NoteMount(property, defined, facts.mount) && !NoteCamera(property, defined, facts.camera)) {
        return;
    }
    if (facts.name == shared_.mount && facts.mount.coordinates) shared_.coordinates = facts.mount.coordinates;
    Changed();
}

bool IndiConnection::NoteMount(INDI::Property property, bool defined, MountFacts& mount)
{
    const char* name = property.getName();
    const INDI_PROPERTY_TYPE type = property.getType();
    if (Is(name, "EQUATORIAL_EOD_COORD") && type == INDI_NUMBER) {
        const INDI::PropertyNumber coordinates(property);
        const auto* ra = coordinates.findWidgetByName("RA");
        const auto* dec = coordinates.findWidgetByName("DEC");
        if (defined && ra && dec) mount.coordinates = EquatorialPoint{ra->getValue(), dec->getValue()};
        mount.slewing = defined && property.getState() == IPS_BUSY;
    } else if (Is(name, "TELESCOPE_PARK") && type == INDI_SWITCH) {
        mount.parked = defined && IsOn(INDI::PropertySwitch(property), "PARK");
    } else if (Is(name, "TELESCOPE_TRACK_STATE") && type == INDI_SWITCH) {
        mount.tracking = defined ? std::optional(IsOn(INDI::PropertySwitch(property), "TRACK_ON")) : std::nullopt;
    } else if (Is(name, "TELESCOPE_PIER_SIDE") && type == INDI_SWITCH) {
        const INDI::PropertySwitch pier(property);
        mount.pierSide = !defined                  ? PierSide::Unknown
                         : IsOn(pier, "PIER_EAST") ? PierSide::East
                         : IsOn(pier, "PIER_WEST") ? PierSide::West
                                                   : PierSide::Unknown;
    } else if (Is(name, "GUIDE_RATE") && type == INDI_NUMBER) {
        const INDI::PropertyNumber rate(property);
        const auto* we = rate.findWidgetByName("GUIDE_RATE_WE");
        const auto* ns = rate.findWidgetByName("GUIDE_RATE_NS");
        mount.raGuideRate = defined && we ? std::optional(we->getValue()) : std::nullopt;
        mount.decGuideRate = defined && ns ? std::optional(ns->getValue()) : std::nullopt;
    } else if (Is(name, "GEOGRAPHIC_COORD") && type == INDI_NUMBER) {
        const INDI::PropertyNumber site(property);
        const auto* longitude = site.findWidgetByName("LONG");
        mount.longitude = defined && longitude ? std::optional(longitude->getValue()) : std::nullopt;
    } else {
        return false;
    }
    return true;
}

bool IndiConnection::NoteCamera(INDI::Property property, bool defined, CameraFacts& camera)
{
    const char* name = property.getName();
    const INDI_PROPERTY_TYPE type = property.getType();
    if (Is(name, "CCD_EXPOSURE") && type == INDI_NUMBER) {
        camera.exposure = defined;
        const INDI::PropertyNumber exposure(property);
        if (const auto* value = exposure.findWidgetByName("CCD_EXPOSURE_VALUE")) {
            camera.shortestSeconds = value->getMin();
            camera.longestSeconds = value->getMax();
        }
        // Each exposure the driver gives up on turns the property to Alert once.
        const bool alert = defined && property.getState() == IPS_ALERT;
        if (alert && !camera.exposureAlert) ++camera.exposureFailures;
        camera.exposureAlert = alert;
    } else if (Is(name, "CCD_INFO") && type == INDI_NUMBER && defined) {
        const INDI::PropertyNumber info(property);
        camera.sensorWidth = static_cast<int>(std::clamp(ValueOf(info, "CCD_MAX_X", 0), 0.0, 1e6));
        camera.sensorHeight = static_cast<int>(std::clamp(ValueOf(info, "CCD_MAX_Y", 0), 0.0, 1e6));
    } else if (Is(name, "CCD_BINNING") && type == INDI_NUMBER) {
        const INDI::PropertyNumber binning(property);
        const auto* x = binning.findWidgetByName("HOR_BIN");
        const auto* y = binning.findWidgetByName("VER_BIN");
        const double largest = defined && x && y ? std::min(x->getMax(), y->getMax()) : 1.0;
        camera.largestBin = static_cast<int>(std::clamp(largest, 1.0, 64.0));
    } else if (Is(name, "CCD_FRAME") && type == INDI_NUMBER) {
        camera.frame = defined;
    } else if (Is(name, "CCD_TRANSFER_FORMAT") && type == INDI_SWITCH) {
        const INDI::PropertySwitch format(property);
        camera.fitsOffered = defined && format.findWidgetByName("FORMAT_FITS") != nullptr;
        camera.fitsChosen = camera.fitsOffered && IsOn(format, "FORMAT_FITS");
    } else if (Is(name, "CCD_COMPRESSION") && type == INDI_SWITCH) {
        camera.compressed = defined && IsOn(INDI::PropertySwitch(property), "INDI_ENABLED");
    } else if (Is(name, "UPLOAD_MODE") && type == INDI_SWITCH) {
        camera.uploadLocalOnly = defined && IsOn(INDI::PropertySwitch(property), "UPLOAD_LOCAL");
    } else {
        return false;
    }
    return true;
}

void IndiConnection::TakePicture(INDI::Property property)
{
    const char* device = property.getDeviceName();
    const char* name = property.getName();
    if (device == nullptr || name == nullptr || shared_.camera != device || !Is(name, kPicture)) return;
    const INDI::PropertyBlob blob(property);
    const auto* image = blob.findWidgetByName(kPicture);
    if (image == nullptr || image->getBlob() == nullptr || image->getBlobLen() <= 0) return;
    // Read here, on the library's thread: the window thread only maps the result.
    fits::FitsReading reading = fits::ReadFitsImage(
        {static_cast<const std::byte*>(image->getBlob()), static_cast<size_t>(image->getBlobLen())});
    const std::lock_guard lock(shared_.mutex);
    if (reading.frame.empty()) {
        ++shared_.unreadable;
    } else {
        shared_.picture = {std::move(reading.frame), reading.type, reading.binning};
        ++shared_.pictures;
    }
    Changed();
}

}  // namespace nuvix::indi
