// Readings combined line by line; see ReadingVote.h.
#include "engine/ReadingVote.h"

#include <algorithm>
#include <unordered_map>

namespace {
using TLines = std::vector<std::string>;

// Between two places both readings share: the equal lines by their longest common run when the stretch is small,
// then the differing lines one for one where a stretch holds as many on both sides (a garbled line).
void fillGap(const TLines& A, const TLines& B, int A0, int A1, int B0, int B1, std::vector<int>& Map)
{
    while (A0 < A1 && B0 < B1 && A[size_t(A0)] == B[size_t(B0)])
        Map[size_t(A0++)] = B0++;
    while (A0 < A1 && B0 < B1 && A[size_t(A1 - 1)] == B[size_t(B1 - 1)])
        Map[size_t(--A1)] = --B1;
    const int N = A1 - A0, M = B1 - B0;
    if (N == M) {
        for (int k = 0; k < N; ++k)
            Map[size_t(A0 + k)] = B0 + k;
        return;
    }
    if (N == 0 || M == 0 || int64_t(N) * M > 40000)
        return;
    // The longest common run of lines, then the stretches between its lines as above.
    std::vector<std::vector<int>> L(size_t(N + 1), std::vector<int>(size_t(M + 1), 0));
    for (int i = N - 1; i >= 0; --i)
        for (int j = M - 1; j >= 0; --j)
            L[size_t(i)][size_t(j)] = A[size_t(A0 + i)] == B[size_t(B0 + j)]
                ? L[size_t(i + 1)][size_t(j + 1)] + 1
                : std::max(L[size_t(i + 1)][size_t(j)], L[size_t(i)][size_t(j + 1)]);
    int i = 0, j = 0, FromI = 0, FromJ = 0;
    auto pairUp = [&](int ToI, int ToJ) {
        if (ToI - FromI == ToJ - FromJ)
            for (int k = 0; k < ToI - FromI; ++k)
                Map[size_t(A0 + FromI + k)] = B0 + FromJ + k;
    };
    while (i < N && j < M) {
        if (A[size_t(A0 + i)] == B[size_t(B0 + j)]) {
            pairUp(i, j);
            Map[size_t(A0 + i)] = B0 + j;
            FromI = ++i;
            FromJ = ++j;
        } else if (L[size_t(i + 1)][size_t(j)] >= L[size_t(i)][size_t(j + 1)])
            ++i;
        else
            ++j;
    }
    pairUp(N, M);
}
} // namespace

std::vector<int> AlignLines(const TLines& A, const TLines& B)
{
    std::vector<int> Map(A.size(), -1);
    // Anchors: lines that each reading holds once (a record's number, a title), kept in the order both share.
    std::unordered_map<std::string, int> InA, InB;
    for (const std::string& L : A)
        ++InA[L];
    for (const std::string& L : B)
        ++InB[L];
    std::unordered_map<std::string, int> PlaceInB;
    for (int j = 0; j < int(B.size()); ++j)
        if (!B[size_t(j)].empty() && InB[B[size_t(j)]] == 1)
            PlaceInB[B[size_t(j)]] = j;
    std::vector<std::pair<int, int>> Pairs;
    for (int i = 0; i < int(A.size()); ++i) {
        const std::string& L = A[size_t(i)];
        if (L.empty() || InA[L] != 1)
            continue;
        auto It = PlaceInB.find(L);
        if (It != PlaceInB.end())
            Pairs.emplace_back(i, It->second);
    }
    // The longest run of anchors in the same order in both (patience sorting over their places in B).
    std::vector<int> Tails, Before(Pairs.size(), -1);
    for (int k = 0; k < int(Pairs.size()); ++k) {
        auto At = std::lower_bound(Tails.begin(), Tails.end(), Pairs[size_t(k)].second,
            [&](int T, int Place) { return Pairs[size_t(T)].second < Place; });
        if (At != Tails.begin())
            Before[size_t(k)] = *(At - 1);
        if (At == Tails.end())
            Tails.push_back(k);
        else
            *At = k;
    }
    std::vector<std::pair<int, int>> Chain;
    for (int k = Tails.empty() ? -1 : Tails.back(); k >= 0; k = Before[size_t(k)])
        Chain.push_back(Pairs[size_t(k)]);
    std::reverse(Chain.begin(), Chain.end());
    int A0 = 0, B0 = 0;
    for (const auto& [I, J] : Chain) {
        fillGap(A, B, A0, I, B0, J, Map);
        Map[size_t(I)] = J;
        A0 = I + 1;
        B0 = J + 1;
    }
    fillGap(A, B, A0, int(A.size()), B0, int(B.size()), Map);
    return Map;
}

TCombinedReading CombineReadings(const std::vector<TLines>& Readings)
{
    TCombinedReading Best;
    bool First = true;
    // Each reading in turn is the frame; the newest wins a tie, the frame with the fewest unsettled lines is taken.
    for (size_t Base = Readings.size(); Base-- > 0;) {
        TCombinedReading R{Readings[Base], 0};
        std::vector<std::vector<int>> Maps(Readings.size());
        for (size_t Other = 0; Other < Readings.size(); ++Other)
            if (Other != Base)
                Maps[Other] = AlignLines(Readings[Base], Readings[Other]);
        for (size_t i = 0; i < R.Lines.size(); ++i) {
            std::vector<const std::string*> Seen;
            bool Agreed = false;
            for (size_t Other = 0; Other < Readings.size() && !Agreed; ++Other) {
                if (Other == Base || Maps[Other][i] < 0)
                    continue;
                const std::string& L = Readings[Other][size_t(Maps[Other][i])];
                Agreed = L == R.Lines[i];
                Seen.push_back(&L);
            }
            for (size_t a = 0; a < Seen.size() && !Agreed; ++a)
                for (size_t b = a + 1; b < Seen.size() && !Agreed; ++b)
                    if (*Seen[a] == *Seen[b]) {
                        R.Lines[i] = *Seen[a];
                        Agreed = true;
                    }
            R.Unsettled += !Agreed;
        }
        if (First || R.Unsettled < Best.Unsettled)
            Best = std::move(R);
        First = false;
    }
    return Best;
}
