#include "platform/posix/sysfs_reader.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

#include "platform/posix/upower_mapping.h"

namespace orvane {

namespace fs = std::filesystem;

namespace {

// UPower's device states, so both sources share one mapping.
constexpr std::uint32_t kUnknown = 0, kCharging = 1, kDischarging = 2, kFull = 4, kNotCharging = 5;

std::optional<std::string> readAttr(const fs::path& dir, const char* name) {
    std::ifstream in(dir / name);
    if (!in) return std::nullopt;
    std::string text;
    std::getline(in, text);
    if (in.bad()) return std::nullopt;
    const auto end = text.find_last_not_of(" \t\r\n");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

std::optional<long long> readNumber(const fs::path& dir, const char* name) {
    const std::optional<std::string> text = readAttr(dir, name);
    if (!text || text->empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long n = std::strtoll(text->c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return std::nullopt;
    return n;
}

struct Battery {
    std::uint32_t state = kUnknown;
    std::optional<double> capacity;  // percent
    // Energy (µWh, µW) or, failing that, charge (µAh, µA): only ratios of one kind are used.
    bool energyUnits = true;
    std::optional<double> now, full, rate;
};

std::uint32_t parseStatus(const std::string& s) {
    if (s == "Charging") return kCharging;
    if (s == "Discharging") return kDischarging;
    if (s == "Full") return kFull;
    if (s == "Not charging") return kNotCharging;
    return kUnknown;
}

std::optional<double> positive(std::optional<long long> n) {
    if (!n || *n <= 0) return std::nullopt;
    return static_cast<double>(*n);
}

Battery readBattery(const fs::path& dir) {
    Battery b;
    b.state = parseStatus(readAttr(dir, "status").value_or(""));
    if (auto cap = readNumber(dir, "capacity"); cap && *cap >= 0 && *cap <= 100)
        b.capacity = static_cast<double>(*cap);

    const auto energyNow = readNumber(dir, "energy_now");
    const auto energyFull = positive(readNumber(dir, "energy_full"));
    if (energyNow && energyFull) {
        b.now = static_cast<double>(*energyNow);
        b.full = energyFull;
        b.rate = readNumber(dir, "power_now");
    } else {
        const auto chargeNow = readNumber(dir, "charge_now");
        const auto chargeFull = positive(readNumber(dir, "charge_full"));
        if (chargeNow && chargeFull) {
            b.energyUnits = false;
            b.now = static_cast<double>(*chargeNow);
            b.full = chargeFull;
            b.rate = readNumber(dir, "current_now");
        }
    }
    // Some drivers report the discharge rate as a negative number.
    if (b.rate) b.rate = std::fabs(*b.rate);
    if (b.rate && *b.rate == 0.0) b.rate.reset();
    if (!b.capacity && b.now && b.full) b.capacity = std::min(100.0, *b.now / *b.full * 100.0);
    return b;
}

std::uint32_t combinedState(const std::vector<Battery>& batteries) {
    bool allFull = true, anyNotCharging = false;
    for (const Battery& b : batteries)
        if (b.state == kCharging) return kCharging;
    for (const Battery& b : batteries) {
        if (b.state == kDischarging) return kDischarging;
        allFull = allFull && b.state == kFull;
        anyNotCharging = anyNotCharging || b.state == kNotCharging;
    }
    if (allFull) return kFull;
    return anyNotCharging ? kNotCharging : kUnknown;
}

}  // namespace

PowerSnapshot readSysfsPowerSupply(const std::string& root) {
    std::vector<Battery> batteries;
    bool anyMains = false, anyOnline = false;

    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path dir = it->path();
        const std::string type = readAttr(dir, "type").value_or("");
        if (type == "Mains") {
            anyMains = true;
            anyOnline = anyOnline || readNumber(dir, "online").value_or(0) > 0;
        } else if (type == "USB" && readAttr(dir, "scope").value_or("") != "Device") {
            // A laptop charged over USB-C has a USB supply feeding the system and no Mains one;
            // a phone on the port is a Device. An offline USB port says nothing about mains.
            anyOnline = anyOnline || readNumber(dir, "online").value_or(0) > 0;
        } else if (type == "Battery") {
            if (readAttr(dir, "scope").value_or("") == "Device") continue;
            if (readNumber(dir, "present").value_or(1) == 0) continue;
            batteries.push_back(readBattery(dir));
        }
    }

    UPowerFacts facts;
    facts.reachable = true;
    facts.isPresent = !batteries.empty();
    facts.type = 2;
    if (!batteries.empty()) {
        facts.state = combinedState(batteries);
        bool sameKind = true, haveAll = true;
        double now = 0, full = 0, rate = 0;
        for (const Battery& b : batteries) {
            haveAll = haveAll && b.now && b.full;
            sameKind = sameKind && b.energyUnits == batteries.front().energyUnits;
            if (b.now && b.full) {
                now += *b.now;
                full += *b.full;
                rate += b.rate.value_or(0.0);
            }
        }
        if (haveAll && sameKind) {
            facts.percentage = batteries.size() == 1 && batteries.front().capacity
                                   ? batteries.front().capacity
                                   : std::optional<double>(std::min(100.0, now / full * 100.0));
            if (rate > 0) {
                facts.timeToEmpty = std::llround(std::min(now / rate * 3600.0, 4e18));
                facts.energyFull = full;
                facts.energyRate = rate;
            }
        } else {
            double sum = 0;
            int count = 0;
            for (const Battery& b : batteries) {
                if (!b.capacity) continue;
                sum += *b.capacity;
                ++count;
            }
            if (count > 0) facts.percentage = sum / count;
        }
    }

    PowerSnapshot s = mapUPowerFacts(facts);
    if (anyOnline)
        s.acStatus = PowerSnapshot::kOnAc;
    else if (anyMains)
        s.acStatus = PowerSnapshot::kOnBattery;
    else
        s.acStatus = facts.state == std::optional<std::uint32_t>(kDischarging) ? 0 : 255;
    return s;
}

bool isPowerSupplyUevent(const char* data, std::size_t size) {
    // The first string is the header; the rest are KEY=VALUE pairs.
    std::size_t pos = 0;
    bool header = true;
    while (pos < size) {
        const void* nul = std::memchr(data + pos, '\0', size - pos);
        const std::size_t len =
            nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - (data + pos))
                : size - pos;
        const std::string_view field(data + pos, len);
        if (header) {
            if (field.find('@') == std::string_view::npos) return false;
            header = false;
        } else if (field == "SUBSYSTEM=power_supply") {
            return true;
        }
        pos += len + 1;
    }
    return false;
}

std::optional<std::chrono::milliseconds> RereadThrottle::onEvent(Clock::time_point now) {
    using std::chrono::milliseconds;
    if (pending_) return std::nullopt;
    pending_ = true;
    if (!lastRead_ || now - *lastRead_ >= interval_) return milliseconds(0);
    return std::chrono::ceil<milliseconds>(*lastRead_ + interval_ - now);
}

}  // namespace orvane
