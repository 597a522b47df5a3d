// What the section-window benchmarks set a window beside: a QTableView over a QStandardItemModel filled with the
// same captions and texts, shown at the window's size and painted once, offscreen; and the medians of the times
// taken side by side, so that a shared machine's load falls on both.
#pragma once

#include <QApplication>
#include <QPixmap>
#include <QStandardItemModel>
#include <QStringList>
#include <QTableView>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

inline double BenchSeconds(std::chrono::steady_clock::duration D) { return std::chrono::duration<double>(D).count(); }

inline double BenchMedian(std::vector<double> V)
{
    std::sort(V.begin(), V.end());
    return V.empty() ? 0 : V[V.size() / 2];
}

// Seconds to fill the table view with Rows under Captions, show it at Width x Height and paint it once.
inline double FillTableView(const QStringList& Captions, const std::vector<QStringList>& Rows, int Width, int Height)
{
    auto Start = std::chrono::steady_clock::now();
    QStandardItemModel Model(int(Rows.size()), int(Captions.size()));
    Model.setHorizontalHeaderLabels(Captions);
    for (int r = 0; r < int(Rows.size()); ++r)
        for (int c = 0; c < int(Captions.size()); ++c)
            Model.setItem(r, c, new QStandardItem(Rows[size_t(r)][c]));
    QTableView View;
    View.setModel(&Model);
    View.resize(Width, Height);
    View.show();
    QApplication::processEvents();
    QPixmap Shot = View.grab();
    benchmark::DoNotOptimize(Shot);
    return BenchSeconds(std::chrono::steady_clock::now() - Start);
}
