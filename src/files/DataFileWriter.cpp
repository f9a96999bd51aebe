#include "files/DataFileWriter.h"

#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <algorithm>

namespace kemvo {

std::string dataLine(double potential, double value) {
    return signedField(checkedFinite(potential)) + " ," + signedField(checkedFinite(value)) + " ";
}

void ExportCurve(std::ostream &out, int first, int last, const PointArray &potential,
                 const PointTable<6> &curves, int curve) {
    for (int i = std::max(first, 1); i <= last; ++i)
        out << dataLine(potential(i), curves(i, curve)) << '\n';
}

} // namespace kemvo
