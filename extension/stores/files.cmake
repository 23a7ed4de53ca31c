set(STORES_SOURCES
    stores/apimanager.cpp stores/apimanager.h
    stores/assignchanged.h
    stores/authmanager.cpp stores/authmanager.h
    stores/chaterrortext.cpp stores/chaterrortext.h
    stores/composewindow.cpp stores/composewindow.h
    stores/deployments.cpp stores/deployments.h
    stores/extensionservices.cpp stores/extensionservices.h
    stores/extractbody.cpp stores/extractbody.h
    stores/incommingupdatesmanager.cpp stores/incommingupdatesmanager.h
    stores/notificationnames.h
    stores/optionaltext.h
    stores/panelkeys.cpp stores/panelkeys.h
    stores/qmlsingleton.h
    stores/replycontext.cpp stores/replycontext.h
    stores/replyemailmanager.cpp stores/replyemailmanager.h
    stores/startchatmanager.cpp stores/startchatmanager.h
    stores/summarizedresponse.h
    stores/summarizemanager.cpp stores/summarizemanager.h
    stores/userdetailsmanager.cpp stores/userdetailsmanager.h
)
