#include "framework/data/DataClasses.h"

#include "framework/data/DataSource.h"
#include "framework/data/Field.h"
#include "framework/data/MemDataSet.h"
#include "framework/stream/Classes.h"

namespace fw {

void RegisterDataClasses() {
  RegisterCoreClasses();
  RegisterClasses({&TStringField::StaticClass(), &TSmallintField::StaticClass(),
                   &TIntegerField::StaticClass(), &TWordField::StaticClass(),
                   &TAutoIncField::StaticClass(), &TLargeintField::StaticClass(),
                   &TFloatField::StaticClass(), &TCurrencyField::StaticClass(),
                   &TBooleanField::StaticClass(), &TDateField::StaticClass(),
                   &TTimeField::StaticClass(), &TDateTimeField::StaticClass(),
                   &TBlobField::StaticClass(), &TMemoField::StaticClass(),
                   &TGraphicField::StaticClass(), &TDataSource::StaticClass(),
                   &TMemDataSet::StaticClass()});
}

}  // namespace fw
