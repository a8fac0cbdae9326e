#include "platform/indi/IndiConnection.h"

#include <libindi/basedevice.h>
#include <libindi/indipropertynumber.h>
#include <libindi/indipropertyswitch.h>
#include <libindi/indipropertytext.h>

#include <cstring>

namespace nuvix::indi {

namespace {
constexpr double kLongestPulseMs = 60000.0;
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
    INDI::PropertyNumber property(2);
    property.setDeviceName(device.c_str());
    property.setName(ra ? "TELESCOPE_TIMED_GUIDE_WE" : "TELESCOPE_TIMED_GUIDE_NS");
    property[0].fill(ra ? "TIMED_GUIDE_W" : "TIMED_GUIDE_N", "", "%g", 0, kLongestPulseMs, 1, first ? ms : 0.0);
    property[1].fill(ra ? "TIMED_GUIDE_E" : "TIMED_GUIDE_S", "", "%g", 0, kLongestPulseMs, 1, first ? 0.0 : ms);
    sendNewNumber(property);
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
    Note(property, true);
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
    if (std::strcmp(name, "TELESCOPE_TIMED_GUIDE_WE") == 0) {
        facts.guideWe = defined;
    } else if (std::strcmp(name, "TELESCOPE_TIMED_GUIDE_NS") == 0) {
        facts.guideNs = defined;
    } else if (std::strcmp(name, "DRIVER_INFO") == 0 && property.getType() == INDI_TEXT && defined) {
        const INDI::PropertyText info(property);
        if (const auto* bits = info.findWidgetByName("DRIVER_INTERFACE")) {
            facts.guider = InterfaceHasGuider(bits->getText() ? bits->getText() : "");
        }
    } else if (std::strcmp(name, "CONNECTION") == 0 && property.getType() == INDI_SWITCH) {
        const INDI::PropertySwitch connection(property);
        const auto* on = connection.findWidgetByName("CONNECT");
        facts.connected = defined && on != nullptr && on->getState() == ISS_ON;
    } else if (std::strcmp(name, "EQUATORIAL_EOD_COORD") == 0 && property.getType() == INDI_NUMBER && defined) {
        const INDI::PropertyNumber coordinates(property);
        const auto* ra = coordinates.findWidgetByName("RA");
        const auto* dec = coordinates.findWidgetByName("DEC");
        if (ra == nullptr || dec == nullptr) return;
        facts.coordinates = EquatorialPoint{ra->getValue(), dec->getValue()};
        if (facts.name == shared_.mount) shared_.coordinates = facts.coordinates;
    } else {
        return;
    }
    Changed();
}

}  // namespace nuvix::indi
