// What a numbered event costs: during generation every traversal, page and
// group break is sent to the variables and controls that follow it, so a
// sender with a thousand receivers is common in a large report.

#include "report/model/objects/Communicator.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <vector>

using namespace report;

namespace {

constexpr int Receivers = 1000;
constexpr int EventID = ppEvent::Traversal;

class Receiver : public TppCommunicator
{
public:
    explicit Receiver(QString key = QString())
        : TppCommunicator(nullptr)
        , m_key(std::move(key))
    {}
    QString GetNotifyOrderKey() const override { return m_key; }
    void EventNotify(TppCommunicator *, int, TraParamList *aParams) override
    {
        ++calls;
        if (onEvent)
            onEvent();
        if (aParams)
            benchmark::DoNotOptimize(aParams->ParamValue<int32_t>(0));
    }
    int64_t calls = 0;
    std::function<void()> onEvent;

private:
    QString m_key;
};

struct Fan
{
    // Every n-th receiver subscribes (0: none).
    explicit Fan(int every)
    {
        for (int i = 0; i < Receivers; ++i) {
            receivers.push_back(std::make_unique<Receiver>());
            if (every > 0 && i % every == 0)
                receivers.back()->SubscribeEvent(EventID);
            sender.AddEventNotify(receivers.back().get());
        }
    }
    std::vector<std::unique_ptr<Receiver>> receivers;
    TppCommunicator sender{nullptr};
};

// Argument: every how many receivers one subscribes (1 all, 10 one in ten, 0 none).
void SendEventNotify(benchmark::State &state)
{
    Fan fan(int(state.range(0)));
    for (auto _ : state)
        fan.sender.SendEventNotify(&fan.sender, EventID, nullptr);
    state.SetItemsProcessed(state.iterations() * Receivers);
    state.counters["ns/receiver"] = benchmark::Counter(double(state.iterations()) * Receivers,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(SendEventNotify)->Arg(1)->Arg(10)->Arg(0);

// The same walk without the library's re-entrancy guards: what the guards cost.
void BareWalk(benchmark::State &state)
{
    Fan fan(int(state.range(0)));
    std::vector<TppCommunicator *> list;
    for (int i = 0; i < fan.sender.GetEventNotifyCount(); ++i)
        list.push_back(fan.sender.GetEventNotify(i));
    for (auto _ : state)
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i]->IsSubscribed(EventID))
                list[i]->EventNotify(&fan.sender, EventID, nullptr);
    state.SetItemsProcessed(state.iterations() * Receivers);
    state.counters["ns/receiver"] = benchmark::Counter(double(state.iterations()) * Receivers,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BareWalk)->Arg(1)->Arg(10)->Arg(0);

// The first receiver leaves and registers again on every send, so that the
// list changes under the walk and each later receiver is looked up among
// those already served: the guard against serving one twice at its dearest.
void SendWhileTheListChanges(benchmark::State &state)
{
    Fan fan(1);
    Receiver *first = fan.receivers.front().get();
    first->onEvent = [&fan, first] {
        fan.sender.RemoveEventNotify(first);
        fan.sender.AddEventNotify(first);
    };
    for (auto _ : state)
        fan.sender.SendEventNotify(&fan.sender, EventID, nullptr);
    state.SetItemsProcessed(state.iterations() * Receivers);
    state.counters["ns/receiver"] = benchmark::Counter(double(state.iterations()) * Receivers,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(SendWhileTheListChanges);

void SendWithThreeParameters(benchmark::State &state)
{
    Fan fan(1);
    int32_t count = 3;
    bool accept = true;
    QString text = QStringLiteral("value");
    for (auto _ : state) {
        TraParamList params;
        params.AddParam(QStringLiteral("Count"), TraDataType::daInteger, true);
        params.AddParam(QStringLiteral("Accept"), TraDataType::daBoolean, true);
        params.AddParam(QStringLiteral("Text"), TraDataType::daString, true);
        params.BindParamValue(0, &count);
        params.BindParamValue(1, &accept);
        params.BindParamValue(2, &text);
        fan.sender.SendEventNotify(&fan.sender, EventID, &params);
    }
    state.SetItemsProcessed(state.iterations() * Receivers);
}
BENCHMARK(SendWithThreeParameters);

// Nobody listens: the whole notify list is looked at.
void HasEventNotify(benchmark::State &state)
{
    Fan fan(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(fan.sender.HasEventNotify(EventID));
    state.SetItemsProcessed(state.iterations() * Receivers);
}
BENCHMARK(HasEventNotify);

// A report of many fields links a pipeline with each of its data texts: the
// receivers register, a send reaches them all and they are freed, the first
// ones first. Argument: the receivers.
void RegisterSendAndFree(benchmark::State &state)
{
    const auto count = size_t(state.range(0));
    for (auto _ : state) {
        TppCommunicator sender(nullptr);
        std::vector<std::unique_ptr<Receiver>> receivers;
        receivers.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            receivers.push_back(std::make_unique<Receiver>());
            receivers.back()->SubscribeEvent(EventID);
            sender.AddEventNotify(receivers.back().get());
        }
        sender.SendEventNotify(&sender, EventID, nullptr);
        for (auto &receiver : receivers)
            receiver.reset();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(RegisterSendAndFree)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity()->Unit(benchmark::kMillisecond);

// 1,000 receivers registered with order keys ("%8d%8d" as variables use),
// arriving in reverse order so that each goes to the front.
void AddEventNotifyWithKeys(benchmark::State &state)
{
    std::vector<std::unique_ptr<Receiver>> receivers;
    for (int i = Receivers; i > 0; --i)
        receivers.push_back(std::make_unique<Receiver>(QString::asprintf("%8d%8d", 5, i)));
    for (auto _ : state) {
        TppCommunicator sender(nullptr);
        for (const auto &r : receivers)
            sender.AddEventNotify(r.get());
    }
    state.SetItemsProcessed(state.iterations() * Receivers);
}
BENCHMARK(AddEventNotifyWithKeys)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
