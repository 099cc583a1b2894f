#pragma once
// Declarations of the core library's classes, so that headers can name them
// without including their neighbours. Everything in lib/core lives in the
// namespace `core`.

namespace core {

// dxCore
class TdxProductResourceStrings;
class TdxResourceStringsRepository;
class IdxLocalizerListener;
class TdxUnitsLoader;
class TdxStream;

// dxCoreClasses
class TdxFastList;
class TdxFastObjectList;
class TcxIUnknownObject;
class TcxInterfacedPersistent;
class TcxOwnedPersistent;
class TcxOwnedInterfacedPersistent;
class TcxFreeNotificator;
class TcxCollection;
class TcxDoublyLinkedObject;
class TcxDoublyLinkedObjectList;

// dxThreading
class TdxThreadPoolHelper;
class TdxMultithreadOperation;
class TdxMultithreadedSort;
class TdxCustomMultithreadedIterator;
class TdxMultithreadedClassMethodIterator;
class TdxMultithreadedListIterator;

// cxGeometry
class TcxGeometryObject;
class TcxRect;
class TcxSize;
class TcxMargin;

// cxClasses
class TcxRegisteredClasses;
class TcxRegisteredClassList;
class TcxObjectList;
class TcxOpenList;
class TcxStringList;
class TcxEventHandlerCollection;
class TcxObjectLink;
class TcxObjectLinkController;
class TcxInterfacedCollectionItem;
class TcxOwnedInterfacedCollection;
class TcxCustomComponent;
class TcxComponent;
class TcxScalableComponent;
class TcxMessageWindow;
class TcxTimer;
class TcxComponentCollection;
class TcxComponentCollectionItem;
class TcxInterfacedComponentCollection;
class TcxComponentList;
class TcxMRUItem;
class TcxMRUItems;
class TcxAutoWidthItem;
class TcxAutoWidthObject;
class TcxDialogMetricsInfo;
class TcxDialogsMetricsStore;

}  // namespace core
