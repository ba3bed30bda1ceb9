// Measures of one's own over a run's per-frame figures, such as
// "mean(vobs, 1000, 5000)" (the mean population over frames 1000 to 5000)
// or "first(food > 500)" (the frame at which food first exceeds 500). A
// small language read by a parser of its own: numbers, the CSV's columns,
// arithmetic, comparisons and and/or/not inside an aggregate over the
// frames; aggregates combined by arithmetic. Nothing else is evaluated.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct MeasureNode;

class FigureMeasure {
public:
    FigureMeasure();
    ~FigureMeasure();
    FigureMeasure(FigureMeasure&&) noexcept;
    FigureMeasure& operator=(FigureMeasure&&) noexcept;

    // Reads `text` against the CSV's column names. False with `error` set,
    // naming what is wrong and where.
    bool parse(const std::string& text, const std::vector<std::string>& columns,
               std::string& error);

    // A new run: every aggregate empty.
    void start();
    // One CSV row: its cells by column, NaN for an empty cell.
    void row(const std::vector<double>& cells);
    // The measure over the rows given; NaN when an aggregate saw no frame of
    // its window, or first() never held (then the run is censored), or a
    // division by zero.
    double value() const;

    // A measure that is one first(): a time to an event.
    bool isTimeToEvent() const;

private:
    std::unique_ptr<MeasureNode> root_;
    std::vector<MeasureNode*> aggregates_;
    size_t frameColumn_ = 0;
};

// Aggregates, as the usage text lists them.
std::string measureFunctionsText();
