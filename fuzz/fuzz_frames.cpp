// The simulator's frame scanner on byte streams from the PC: noise, valid
// control frames and pauses, as the fuzzer arranges them, fed in chunks of
// any size. Every byte comes out once, as data or inside a frame; how the
// stream was cut into reads changes nothing; and where the noise holds no
// preamble, exactly the frames put in are found.

#include "FuzzProperty.h"
#include "hostsim/FrameScanner.h"
#include "protocol/ControlFrame.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

namespace {

struct Event {
    enum Kind { Data, Frame, Truncated } kind;
    int code;
    QByteArray bytes;
    bool operator==(const Event &) const = default;
};

// What the scanner reported, neighbouring data merged.
class Recorder
{
public:
    FrameScanner::Handlers handlers()
    {
        return {
            [this](QByteArrayView data) {
                if (events.empty() || events.back().kind != Event::Data)
                    events.push_back({ Event::Data, 0, {} });
                events.back().bytes += data;
            },
            [this](int code, QByteArrayView arguments) {
                events.push_back({ Event::Frame, code, arguments.toByteArray() });
            },
            [](int) {},
            [this](int code, QByteArrayView soFar) {
                events.push_back({ Event::Truncated, code, soFar.toByteArray() });
            },
        };
    }

    // The stream the events stand for.
    QByteArray bytes() const
    {
        QByteArray all;
        for (const Event &event : events)
            all += event.kind == Event::Data ? event.bytes
                                             : ControlFrame::preamble() + char(event.code) + event.bytes;
        return all;
    }

    std::vector<Event> events;
};

// A stretch of the stream between two pauses, and the frames put into it.
struct Segment {
    QByteArray bytes;
    std::vector<qsizetype> frameStarts;
    std::vector<Event> frames;
};

void appendFrame(FuzzedDataProvider &input, Segment &segment)
{
    static constexpr int codes[] = { 11, 12, 13, 14, 15, 16, 17, 18, 19 };
    const int code = input.PickValueInArray(codes);
    const std::string arguments = input.ConsumeBytesAsString(size_t(ControlFrame::argumentCount(code)));
    if (arguments.size() != size_t(ControlFrame::argumentCount(code)))
        return;
    segment.frameStarts.push_back(segment.bytes.size());
    segment.frames.push_back({ Event::Frame, code, QByteArray::fromStdString(arguments) });
    segment.bytes += ControlFrame::preamble() + char(code) + QByteArray::fromStdString(arguments);
}

Segment segment(FuzzedDataProvider &input)
{
    Segment segment;
    while (input.remaining_bytes() > 0) {
        const uint8_t item = input.ConsumeIntegral<uint8_t>();
        if (item < 16)
            break;
        if (item < 96)
            appendFrame(input, segment);
        else
            segment.bytes += QByteArray::fromStdString(input.ConsumeBytesAsString(item % 16 + 1));
    }
    return segment;
}

bool onlyFramesHoldPreambles(const Segment &segment)
{
    std::vector<qsizetype> starts;
    for (qsizetype at = segment.bytes.indexOf(ControlFrame::preamble()); at >= 0;
         at = segment.bytes.indexOf(ControlFrame::preamble(), at + 1))
        starts.push_back(at);
    return starts == segment.frameStarts;
}

std::vector<Event> framesOf(const std::vector<Event> &events)
{
    std::vector<Event> frames;
    for (const Event &event : events) {
        if (event.kind != Event::Data)
            frames.push_back(event);
    }
    return frames;
}

void checkSegment(const Segment &segment, FuzzedDataProvider &input)
{
    Recorder chunked;
    FrameScanner scanner(chunked.handlers());
    for (qsizetype at = 0; at < segment.bytes.size();) {
        const qsizetype read
            = qMin(input.ConsumeIntegralInRange<qsizetype>(1, 12), segment.bytes.size() - at);
        scanner.feed(QByteArrayView(segment.bytes).sliced(at, read));
        at += read;
    }
    scanner.endPause();
    requireProperty(!scanner.isHolding(), "a pause leaves nothing held");
    requireProperty(chunked.bytes() == segment.bytes, "every byte comes out once, in its place");

    Recorder whole;
    FrameScanner once(whole.handlers());
    once.feed(segment.bytes);
    once.endPause();
    requireProperty(chunked.events == whole.events, "how the stream is cut into reads changes nothing");

    if (onlyFramesHoldPreambles(segment))
        requireProperty(framesOf(chunked.events) == segment.frames, "the frames put in are the frames found");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    while (input.remaining_bytes() > 0)
        checkSegment(segment(input), input);
    return 0;
}
