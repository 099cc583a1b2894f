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

// cxGraphics (canvas, regions, bitmaps)
class TcxRegion;
class TcxCanvas;
class TcxControlCanvas;
class TcxScreenCanvas;
class TcxPaintCanvas;
class TcxBitmap;
class TcxBitmap32;
class TcxAlphaBitmap;

// cxFormats
class TcxDateTimeFormatItem;
class TcxDateTimeFormatInfo;
class TcxFormatController;
class TdxFormatSettings;

// dxGDIPlusClasses, dxSmartImage
class TdxGPCanvas;
class TdxGPPaintCanvas;
class TdxGPPath;
class TdxGPImage;
class TdxSmartImage;
class TdxPNGImage;
class TdxSmartGlyph;

// dxHooks, dxThemeManager, dxGestures, cxImageList
class TdxSystemHook;
class TdxHookController;
class TdxThemeChangedNotificator;
class TdxThemeChangedEventReceiver;
class TdxGestureHelper;
class TcxImageInfo;
class TcxImageInfoItem;
class TcxImageInfoCollection;
class TcxImageList;

}  // namespace core
