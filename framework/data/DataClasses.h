// Registration of the data layer's classes with the form-file reader.
#pragma once

namespace fw {

/// Registers the field classes, TDataSource and TMemDataSet (and the core classes).
void RegisterDataClasses();

}  // namespace fw
