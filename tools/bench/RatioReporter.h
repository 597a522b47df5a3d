// The console reporter of every benchmark here that prints ratios after its table: it keeps one aggregate of each
// benchmark's repetitions (the median, or the fastest where noise only ever adds time), keyed by the benchmark's
// function name and, where it has them, its arguments ("BM_Parse/0").
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class TRatioReporter : public benchmark::ConsoleReporter {
public:
    // Aggregate: "median" or "min"; WithArgs false keys a benchmark by its function name alone.
    explicit TRatioReporter(std::string Aggregate = "median", bool WithArgs = true)
        : FAggregate(std::move(Aggregate)), FWithArgs(WithArgs)
    {
    }
    std::map<std::string, double> Times;
    void ReportRuns(const std::vector<Run>& Runs) override
    {
        for (const Run& R : Runs)
            if (R.run_type == Run::RT_Aggregate && R.aggregate_name == FAggregate)
                Times[FWithArgs ? R.run_name.function_name + "/" + R.run_name.args : R.run_name.function_name] =
                    R.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(Runs);
    }

private:
    std::string FAggregate;
    bool FWithArgs;
};
