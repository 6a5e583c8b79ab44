#include "chart/chart.h"

namespace chart {

Chart TheChart;

}  // namespace chart
