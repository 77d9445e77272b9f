#include "view/measure_line.h"

MeasureLine* measureLine = nullptr;

MeasureLine* EnsureMeasureLine()
{
    if (measureLine == nullptr)
        measureLine = new MeasureLine();
    return measureLine;
}

void DeleteMeasure()
{
    delete measureLine;
    measureLine = nullptr;
}
