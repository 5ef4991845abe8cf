#include "bench/CurveSendTiming.h"

#include <chrono>
#include <string>

#include "bench/SilentUi.h"
#include "comm/CommLink.h"
#include "curves/DownloadCurve.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

} // namespace

SensorCurve BenchDiodeCurve() {
    SensorCurve curve;
    curve.name = "Bench diode";
    curve.type = "Diode";
    curve.unitText = "Volts";
    curve.count = SensorCurve::MaxEntries;
    for (int i = 0; i < curve.count; ++i) {
        curve.entries[static_cast<std::size_t>(i)].value = 0.09f + 0.008f * static_cast<float>(i);
        curve.entries[static_cast<std::size_t>(i)].temperature =
            475.0f - 2.35f * static_cast<float>(i);
    }
    return curve;
}

CurveSendTime TimeCurveSend(CCommLink& link, SilentUi& ui, const SensorCurve& curve) {
    CurveSendTime time;
    const Clock::time_point start = Clock::now();
    const CurveSent result = SendCurve(link, ui, ui, 1, curve);
    time.sent = Seconds(Clock::now() - start);
    // The instrument answers this only once it has read every line before it.
    std::string reply;
    const bool answered = link.Transact("SENSORIX 61:NENTRY?", &reply) == Link::Success;
    time.taken = Seconds(Clock::now() - start);
    time.bytes = result.bytes;
    time.whole = !result.errors && answered && reply.rfind(std::to_string(curve.count), 0) == 0;
    return time;
}

double CurveLineSeconds(std::size_t bytes) {
    return static_cast<double>(bytes) * 10.0 / CurveLineRate;
}
